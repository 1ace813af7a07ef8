# Printing through a real CUPS scheduler renders the report's pages through the
# queue's filters: give it time. The test's scheduler is its own (own socket and
# folders), so it runs beside the other tests.
set_tests_properties(tst_SystemPrinters PROPERTIES TIMEOUT 900)
