// Reading a 10 MB document out of the IDE's process against the two copies
// any reader needs: the editor's into the buffer it is given, and the buffer
// into the reader's own memory.
#include "bench/bench_support.h"
#include "ide/ide_navigation.h"
#include "testing/host_ide/host_client.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

TEST(EditorTextBench, TenMegabytesAgainstTwoPlainCopies) {
    TempDir dir;
    std::string document;
    for (int i = 0; document.size() < 10 * 1024 * 1024; ++i)
        document += "Procedure Line" + std::to_string(i) + "(a.i, b.s)\r\n";
    ASSERT_TRUE(WriteFileBytes(dir / "big.pb", document));
    HostIde host(dir.Path(), {dir / "big.pb"});
    ASSERT_TRUE(host.Ready);
    HWND editor = HostVisibleEditor(host);

    std::vector<double> medians =
        MedianTimes(31, {
                            [&] {
                                double start = Seconds();
                                std::string text = ReadEditorText(editor);
                                double elapsed = Seconds() - start;
                                EXPECT_EQ(text.size(), document.size());
                                return elapsed;
                            },
                            [&] {
                                double start = Seconds();
                                std::unique_ptr<char[]> first(new char[document.size() + 1]);
                                std::memcpy(first.get(), document.c_str(), document.size() + 1);
                                std::string second(first.get(), document.size());
                                double elapsed = Seconds() - start;
                                EXPECT_EQ(second.back(), document.back());
                                return elapsed;
                            },
                        });
    printf("ReadEditorText of %zu bytes %.2f ms, two plain copies %.2f ms, ratio %.2f\n",
           document.size(), medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
}

} // namespace
