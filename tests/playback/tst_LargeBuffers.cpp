// Large blocks the player frees go back to the system at once, however
// large a block was freed before.
#include "mpvengine/MpvPlayerEngine.h"

#include <QtTest>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {
long anonymousKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("RssAnon:", 0) == 0)
            return std::stol(line.substr(8));
    return -1;
}

// Through a volatile pointer, so that the compiler cannot drop the pair.
void* (*volatile g_allocate)(std::size_t) = std::malloc;

void touchAndFree(std::size_t bytes)
{
    void* block = g_allocate(bytes);
    QVERIFY(block);
    std::memset(block, 1, bytes);
    std::free(block);
}
}  // namespace

class TstLargeBuffers : public QObject {
    Q_OBJECT
private slots:
    void freedBlocksDoNotStayResident()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer keeps a heap of its own");
#endif
        MpvPlayerEngine engine(MpvOptions::NullOutputs());  // the program's first player
        constexpr std::size_t kMiB = 1024 * 1024;
        // glibc's default: freeing the 16 MiB block raises its threshold, and
        // the blocks after it stay resident in the heap once freed.
        touchAndFree(16 * kMiB);
        const long before = anonymousKiB();
        for (int i = 0; i < 4; ++i)
            touchAndFree((4 + i) * kMiB);
        const long grown = anonymousKiB() - before;
        QVERIFY2(grown < 2048, qPrintable(QString("%1 KiB stayed resident").arg(grown)));
    }
};

QTEST_GUILESS_MAIN(TstLargeBuffers)
#include "tst_LargeBuffers.moc"
