// Reading a 10 MB document's lines where they lie in the IDE's process
// against the two copies any reader of a text needs: the editor's into a
// buffer, and the buffer into the reader's own memory.
#include "bench/bench_support.h"
#include "ide/editor_session.h"
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
    const EditorSession editor(HostVisibleEditor(host), ColumnCounting::Bytes);

    std::vector<double> medians =
        MedianTimes(31, {
                            [&] {
                                double start = Seconds();
                                EditorExcerpt lines;
                                EXPECT_TRUE(editor.ReadLines(1, editor.LineCount(), &lines));
                                double elapsed = Seconds() - start;
                                EXPECT_EQ(lines.Text.size(), document.size());
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
    printf("ReadLines of %zu bytes %.2f ms, two plain copies %.2f ms, ratio %.2f\n",
           document.size(), medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
}

} // namespace
