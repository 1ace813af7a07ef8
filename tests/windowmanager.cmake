# The placement and centring tests again under a real window manager that draws
# frames (openbox on a private Xvfb display), where a window's outer size differs
# from its inner size.
set(WITH_WM ${CMAKE_CURRENT_SOURCE_DIR}/gui/harness/with-window-manager.sh)
add_test(NAME tst_searchwindow_framed COMMAND ${WITH_WM} $<TARGET_FILE:tst_searchwindow> reopeningKeepsItsPlacement)
add_test(NAME tst_Windows_framed COMMAND ${WITH_WM} $<TARGET_FILE:tst_Windows>)
add_test(NAME tst_WindowPlacement_framed COMMAND ${WITH_WM} $<TARGET_FILE:tst_WindowPlacement>)
set_tests_properties(tst_searchwindow_framed tst_Windows_framed tst_WindowPlacement_framed
                     PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8;${SANITIZER_TEST_ENVIRONMENT}" SKIP_RETURN_CODE 77 TIMEOUT 300)
