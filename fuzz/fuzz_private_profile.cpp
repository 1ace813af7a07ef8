// libFuzzer target for the settings-file reader and writer.
#include "ProfileFuzzEntry.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString failure = profilefuzz::check(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", failure.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
