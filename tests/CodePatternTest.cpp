#include "pipeline/CodePattern.h"

#include <gtest/gtest.h>

namespace tolvira {
namespace {

CodePattern compiled(std::string_view pattern, std::string_view outputTemplate = {}) {
    CodePattern::Compiled c = CodePattern::compile(pattern, outputTemplate);
    EXPECT_TRUE(c.pattern.has_value()) << pattern << ": " << c.error;
    return c.pattern ? std::move(*c.pattern) : *CodePattern::compile("").pattern;
}

// The text of each group of the match, "-" for a group that took no part; "none": no match.
std::string groupsOf(std::string_view pattern, std::string_view code) {
    const CodePattern p = compiled(pattern);
    const std::optional<PatternMatch> match = p.search(code);
    if (!match) return "none";
    std::string out;
    for (int g = 0; g <= p.groupCount(); ++g) {
        if (g) out += '|';
        const std::optional<Span>& span = (*match)[g];
        out += span ? std::string(code.substr(span->begin, span->end - span->begin)) : "-";
    }
    return out;
}

struct MatchCase {
    const char* pattern;
    std::string code;
    const char* groups;  // whole match|group 1|group 2...
};

TEST(CodePatternTest, MatchesSomewhereInTheCodeLeftmostFirst) {
    const MatchCase cases[] = {
        {"abc", "xxabcxx", "abc"},
        {"abc", "ab", "none"},
        {"", "anything", ""},
        {"^abc", "abcd", "abc"},
        {"^abc", "xabc", "none"},
        {"abc$", "xabc", "abc"},
        {"^abc$", "abcc", "none"},
        {"^$", "", ""},
        {"a|ab", "ab", "a"},
        {"ab|a", "ab", "ab"},
        {"x*", "aaa", ""},
        {"a+", "baaab", "aaa"},
        {"a+?", "baaab", "a"},
        {"a*?b", "aaab", "aaab"},
        {"colou?r", "color", "color"},
        {"a{3}", "aaaa", "aaa"},
        {"^a{2,3}$", "aaaa", "none"},
        {"^a{2,3}$", "aaa", "aaa"},
        {"a{2,}", "caaaaac", "aaaaa"},
        {"a{0}b", "ab", "b"},
        {"a{2,3}?", "aaaa", "aa"},
        {"x{", "x{", "x{"},
        {"a{,2}", "a{,2}", "a{,2}"},
        {"a}]", "a}]", "a}]"},
    };
    for (const MatchCase& c : cases) EXPECT_EQ(groupsOf(c.pattern, c.code), c.groups) << c.pattern;
}

TEST(CodePatternTest, ClassesEscapesAndAnyCharacter) {
    const MatchCase cases[] = {
        {"[a-c]+", "xxbcay", "bca"},
        {"[^a-c]+", "abxyc", "xy"},
        {"[]a]+", "]a]", "]a]"},
        {"[a-]+", "-a-", "-a-"},
        {"[\\d.]+", "v1.25x", "1.25"},
        {"[\\D]+", "12ab3", "ab"},
        {"\\d{20}", "码:81234567890123456789号", "81234567890123456789"},
        {"\\w+", "  a_Z9-", "a_Z9"},
        {"\\W", "ab,c", ","},
        {"\\s", "a\tb", "\t"},
        {"\\S+", " \r\nab ", "ab"},
        {"a.c", "a\nc", "a\nc"},
        {"\\.", "a.b", "."},
        {"\\(\\)\\[\\]\\{\\}\\*\\+\\?\\|\\^\\$\\\\\\/", "()[]{}*+?|^$\\/", "()[]{}*+?|^$\\/"},
        {"\\x41\\t\\r\\n", "A\t\r\n", "A\t\r\n"},
        {"[\\x30-\\x32]+", "93012", "012"},
    };
    for (const MatchCase& c : cases) EXPECT_EQ(groupsOf(c.pattern, c.code), c.groups) << c.pattern;
}

TEST(CodePatternTest, MatchesByCodePoint) {
    const MatchCase cases[] = {
        {"^.$", "中", "中"},        {"^..$", "中", "none"},
        {"^.{2}$", "中文", "中文"}, {"[一-龥]+", "ab中文cd", "中文"},
        {"[^中]", "中文", "文"},    {"😀+", "a😀😀b", "😀😀"},
        {"^.$", "\xFF", "\xFF"},  // a byte that is not UTF-8 is one character
    };
    for (const MatchCase& c : cases) EXPECT_EQ(groupsOf(c.pattern, c.code), c.groups) << c.pattern;
}

TEST(CodePatternTest, GroupsCaptureTheirLastRound) {
    const MatchCase cases[] = {
        {"(a)(b)?c", "ac", "ac|a|-"},
        {"(?:a)(b)", "ab", "ab|b"},
        {"(a|b)+", "abab", "abab|b"},
        {"(\\d+)-(\\d+)", "tel 010-1234", "010-1234|010|1234"},
        {"((a)b)c", "abc", "abc|ab|a"},
        {"(x)|(y)", "y", "y|-|y"},
        {"(a*)*b", "aab", "aab|aa"},
        {"id=(.*?)&", "?id=42&lot=7&", "id=42&|42"},
        {"(1)(2)(3)(4)(5)(6)(7)(8)(9)(0)", "1234567890", "1234567890|1|2|3|4|5|6|7|8|9"},
    };
    for (const MatchCase& c : cases) EXPECT_EQ(groupsOf(c.pattern, c.code), c.groups) << c.pattern;
}

TEST(CodePatternTest, ABadPatternIsRefusedWithWhereAndWhy) {
    const std::pair<std::string, const char*> cases[] = {
        {"ab(c", "正则表达式有误：第3个字符“(”没有对应的“)”"},
        {"ab)c", "正则表达式有误：第3个字符“)”没有对应的“(”"},
        {"*a", "正则表达式有误：第1个字符“*”前面没有可以重复的内容"},
        {"中(+)", "正则表达式有误：第3个字符“+”前面没有可以重复的内容"},
        {"a|?", "正则表达式有误：第3个字符“?”前面没有可以重复的内容"},
        {"{2}", "正则表达式有误：第1个字符“{”前面没有可以重复的内容"},
        {"a**", "正则表达式有误：第3个字符“*”不能紧跟在“*”后面"},
        {"a{2}+", "正则表达式有误：第5个字符“+”不能紧跟在“{”后面"},
        {"[abc", "正则表达式有误：第1个字符“[”没有对应的“]”"},
        {"[]", "正则表达式有误：第1个字符“[”没有对应的“]”"},
        {"x[z-a]", "正则表达式有误：第3个字符处的范围“z-a”顺序颠倒"},
        {"[\\d-z]", "正则表达式有误：第2个字符处的范围端点不能是\\d这类字符组"},
        {"\\q", "正则表达式有误：第1个字符处的“\\q”不支持"},
        {"\\1", "正则表达式有误：第1个字符处的“\\1”不支持"},
        {"ab\\", "正则表达式有误：第3个字符“\\”后面缺少字符"},
        {"\\x4", "正则表达式有误：第1个字符处的“\\x”后面要有两位十六进制数"},
        {"a{1001}", "正则表达式有误：第2个字符处的重复次数超过1000"},
        {"a{99999999999999999999}", "正则表达式有误：第2个字符处的重复次数超过1000"},
        {"a{3,2}", "正则表达式有误：第2个字符处的重复次数前大后小"},
        {"(?=a)", "正则表达式有误：第1个字符处的“(?”只支持“(?:”"},
        {std::string(51, '(') + std::string(51, ')'),
         "正则表达式有误：第51个字符处的括号嵌套超过50层"},
        {"a\xFF", "正则表达式有误：第2个字符不是有效的UTF-8文字"},
        {std::string(513, 'a'), "正则表达式太长：最多512个字节"},
        {"a{1000}b{1000}", "正则表达式太复杂：展开后超过1000步，请减少重复次数"},
        {"((a{100}){100}){100}", "正则表达式太复杂：展开后超过1000步，请减少重复次数"},
    };
    for (const auto& [pattern, error] : cases) {
        const CodePattern::Compiled c = CodePattern::compile(pattern);
        EXPECT_FALSE(c.pattern.has_value()) << pattern;
        EXPECT_EQ(c.error, error) << pattern;
    }
    EXPECT_TRUE(CodePattern::compile(std::string(50, '(') + std::string(50, ')')).pattern)
        << "fifty levels are allowed";
}

TEST(CodePatternTest, TheTemplatePicksPartsOfTheMatch) {
    struct Case {
        const char* pattern;
        const char* outputTemplate;
        std::string code;
        std::optional<std::string> typed;
    };
    const Case cases[] = {
        {"\\d{20}", "$0", "https://mashangfangxin.com/?c=81234567890123456789&x=1",
         "81234567890123456789"},
        {"\\d{20}", "", "x81234567890123456789", "x81234567890123456789"},
        {"^8", "", "91234567890123456789", std::nullopt},
        {"(\\d+)-(\\d+)", "$2/$1", "a 12-345 b", "345/12"},
        {"(\\d+)", "$$1=$1", "n7", "$1=7"},
        {"(\\d+)", "$10", "n7", "70"},
        {"(a)|(b)", "[$1][$2]", "b", "[][b]"},
        {"x", "$ $a $", "x", "$ $a $"},
        {"(中)", "<$1>", "在中间", "<中>"},
    };
    for (const Case& c : cases) {
        const CodePattern p = compiled(c.pattern, c.outputTemplate);
        EXPECT_EQ(p.apply(c.code), c.typed) << c.pattern << " " << c.outputTemplate;
    }
}

TEST(CodePatternTest, ATemplateNamingAGroupThePatternLacksIsRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {"$2", "输出模板有误：第1个字符处的“$2”没有对应的分组"},
        {"码$$1$2", "输出模板有误：第5个字符处的“$2”没有对应的分组"},
    };
    for (const auto& [outputTemplate, error] : cases) {
        const CodePattern::Compiled c = CodePattern::compile("(?:a)|(b)", outputTemplate);
        EXPECT_FALSE(c.pattern.has_value()) << outputTemplate;
        EXPECT_EQ(c.error, error) << outputTemplate;
    }
    EXPECT_EQ(CodePattern::compile("a", std::string(513, 'x')).error,
              "输出模板太长：最多512个字节");
    EXPECT_TRUE(CodePattern::compile("(a)", "$1$0$$").pattern);
}

TEST(CodePatternTest, ACodeOverTheLimitIsNotMatched) {
    const CodePattern p = compiled("a");
    EXPECT_TRUE(p.search(std::string(kMaxCodeBytes, 'a')).has_value());
    EXPECT_FALSE(p.search(std::string(kMaxCodeBytes + 1, 'a')).has_value());
}

// Patterns that make a backtracking matcher take exponential time or overflow its stack must
// finish here in one pass, with the right answer.
TEST(CodePatternTest, HostilePatternsAgainstALongCodeGiveTheRightAnswer) {
    const std::string as(kMaxCodeBytes, 'a');
    const std::pair<const char*, bool> cases[] = {
        {"(a*)*b", false},
        {"(a|a)*b", false},
        {"(a+)+$", true},
        {"^(a|aa)+$", true},
        {"(a*)*(a*)*(a*)*c", false},
        {"^(.*a){10}$", true},
        {"(?:a?){30}a{30}b", false},
        {"(x+x+)+y", false},
    };
    for (const auto& [pattern, matches] : cases) {
        EXPECT_EQ(compiled(pattern).search(as).has_value(), matches) << pattern;
    }
    EXPECT_EQ(compiled("(a|a)*").apply(as), as);
}

TEST(CodePatternTest, UnmatchedCodeIsListedWithAMark) {
    EXPECT_EQ(unmatchedListText("12345"), "[不匹配] 12345");
}

}  // namespace
}  // namespace tolvira
