// The alarm line handed to the message box on Windows: one quoted argument
// that the receiving side splits back into exactly the line, '"' turned into
// '*', whatever backslashes, blanks and shell characters it holds. On Windows
// the receiver is the system's own splitter (CommandLineToArgvW, which the
// message box uses); elsewhere a reader of the same published rules stands in.
#include "notification.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include "widetext.h"

#include <windows.h>
#include <shellapi.h>
#endif

namespace {

#ifdef _WIN32
// The arguments after the program name, as the started program receives them.
std::vector<std::string> splitcommandline(const std::string& parameters) {
    std::vector<std::string> result;
    std::string commandline = "ruvellomsgbox.exe " + parameters;
    std::vector<wchar_t> wide(commandline.size() + 1);
    if (towide(commandline.c_str(), wide.data(), (int)wide.size()) != 0) return result;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(wide.data(), &count);
    if (arguments == NULL) return result;
    for (int i = 1; i < count; i++) {
        std::vector<char> text(4 * wcslen(arguments[i]) + 1);
        if (fromwide(arguments[i], text.data(), (int)text.size()) == 0) result.push_back(text.data());
    }
    LocalFree(arguments);
    return result;
}
#else
// The C runtime's rules: blanks outside quotes part arguments; a run of n
// backslashes before a quote gives n/2 backslashes, and the quote is a
// character when n is odd, else it opens or closes a quoted part; backslashes
// before anything else are characters.
std::vector<std::string> splitcommandline(const std::string& parameters) {
    std::vector<std::string> result;
    size_t i = 0;
    while (i < parameters.size()) {
        while (i < parameters.size() && (parameters[i] == ' ' || parameters[i] == '\t')) i++;
        if (i == parameters.size()) break;
        std::string argument;
        bool quoted = false;
        while (i < parameters.size() && (quoted || (parameters[i] != ' ' && parameters[i] != '\t'))) {
            size_t backslashes = 0;
            while (i < parameters.size() && parameters[i] == '\\') {
                backslashes++;
                i++;
            }
            if (i < parameters.size() && parameters[i] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) argument += '"';
                else quoted = !quoted;
                i++;
            } else {
                argument.append(backslashes, '\\');
                if (i < parameters.size() && (quoted || (parameters[i] != ' ' && parameters[i] != '\t')))
                    argument += parameters[i++];
            }
        }
        result.push_back(argument);
    }
    return result;
}
#endif

std::string asreceived(const std::string& line) {
    std::string expected = line;
    for (char& c : expected) {
        if (c == '"') c = '*';
    }
    return expected;
}

// The line arrives whole as the only argument; a message names the line.
void expectarriveswhole(const std::string& line) {
    std::vector<char> argument(2 * line.size() + 3);
    ASSERT_EQ(0, makequotedargument(line.c_str(), argument.data(), (int)argument.size())) << line;
    std::vector<std::string> received = splitcommandline(argument.data());
    ASSERT_EQ(1u, received.size()) << "line [" << line << "] as [" << argument.data() << "]";
    EXPECT_EQ(asreceived(line), received[0]) << "as [" << argument.data() << "]";
}

}  // namespace

TEST(QuotedArgument, BackslashesQuotesBlanksAndShellCharactersArriveWhole) {
    for (const char* line : {"12-24 - Buy the tree", "2026-05-17 09:00 - copy to C:\\temp\\",
                             "05-17 - two \\\\", "05-17 - say \"hi\"\\", "05-17 - a\\\"b\\\\\"c",
                             "31 - 100% & more | less ^ caret < > %PATH%", "05-17 - \\", "05-17 - \t tab\t",
                             "05-17 - \\\\server\\share\\", "05-17 - Zo\xc3\xab \xe2\x82\xac \xf0\x9f\x8e\x82"}) {
        expectarriveswhole(line);
    }
    // Every mix of the characters that matter, up to eight long.
    const char alphabet[] = {'a', ' ', '\\', '"', '\t'};
    srand(7);
    for (int trial = 0; trial < 3000; trial++) {
        std::string line;
        int length = rand() % 9;
        for (int i = 0; i < length; i++) line += alphabet[rand() % sizeof alphabet];
        expectarriveswhole(line);
    }
}

TEST(QuotedArgument, ATextThatDoesNotFitIsRefusedNotCut) {
    char small[8];
    // Five characters, a doubled closing backslash and two quotes need nine places.
    EXPECT_EQ(1, makequotedargument("1234\\", small, sizeof small));
    EXPECT_STREQ("", small);
    EXPECT_EQ(0, makequotedargument("1234", small, sizeof small));
    EXPECT_STREQ("\"1234\"", small);
#ifdef _WIN32
    // The longest data line, all backslashes, still reaches the message box.
    char argument[ARGUMENTBUFSIZE];
    EXPECT_EQ(0, makenotificationargument(std::string(511, '\\').c_str(), argument, sizeof argument));
#endif
}
