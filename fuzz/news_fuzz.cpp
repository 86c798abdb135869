// Parses arbitrary bytes as the news a start hands the follower (any program
// of the session can send it): whatever parses comes back the same through
// FormatNews, and a source it names gets only a name a history can keep.
#include "follower/follow_rules.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FollowerNews news;
    if (!ParseNews(text, &news)) return 0;
    if (size > MaxNewsBytes || news.File.size() + news.FileList.size() > size) std::abort();
    FollowerNews again;
    if (!ParseNews(FormatNews(news), &again) || again.Event != news.Event ||
        again.Editor != news.Editor || again.JumpLines != news.JumpLines ||
        again.File != news.File || again.FileList != news.FileList)
        std::abort();
    FollowRules rules;
    rules.NameSource(news.Editor, news.File);
    const std::string named = rules.FileOf(news.Editor);
    if (!named.empty() && (named != news.File || !IsStorableName(named))) std::abort();
    if (named.find_first_of("\r\n|") != std::string::npos) std::abort();
    return 0;
}
