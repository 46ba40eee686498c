#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "report/renderers.h"
#include "report/result_output.h"

namespace corelens {
namespace {

namespace fs = std::filesystem;

const char k_sep = platform::k_path_separator;

ProcessorRecord sample_record() {
    ProcessorRecord record{};
    record.features = 0x0383FBFF;
    record.max_level = 3;
    record.speed_mhz = 733.5f;
    std::strcpy(record.vendor_id, "GenuineIntel");
    std::strcpy(record.name, "Intel <Pentium> & \"III\"");  // escapes differ in HTML
    std::strcpy(record.type_name, "Original OEM");
    record.family = 6;
    record.model = 8;
    record.stepping = 3;
    record.l1_data_kb = 16;
    record.l1_code_kb = 16;
    record.l2_kb = 256;
    record.signature = 0x683;
    return record;
}

ReportContext sample_context() {
    ReportContext context;
    context.day = 6, context.month = 12, context.year = 2026;
    context.hour = 1, context.minute = 44, context.second = 38;
    context.user_name = "tester";
    context.computer_name = "BUILDHOST";
    return context;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

// A lookup that answers "free" for every name, whatever is on disk.
OutputFileSystem nothing_exists() {
    OutputFileSystem file_system;
    file_system.name_exists = [](const std::string&, const std::string&) { return false; };
    return file_system;
}

// A writer that stops half-way, as a full disk would.
OutputFileSystem failing_writes() {
    OutputFileSystem file_system;
    file_system.write_all = [](OutputSink& sink, const char* data, std::size_t size,
                               std::string* reason) {
        sink.write_all(data, size / 2, nullptr);
        if (reason != nullptr) *reason = "staged full disk";
        return false;
    };
    return file_system;
}

// Every test gets a fresh directory of its own.
class Output : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        directory_ = (fs::temp_directory_path() /
                      ("corelens-output-" + std::string(info->name()) + "-" +
                       std::to_string(random())))
                         .string();
        fs::create_directories(directory_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }

    std::string path_of(const std::string& name) const { return directory_ + k_sep + name; }

    std::set<std::string> names_in_directory() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    std::string directory_;
    const ProcessorRecord record_ = sample_record();
    const ReportContext context_ = sample_context();
};

TEST(OutputNames, HasExtensionIsAnExactCaseSensitiveEnding) {
    struct Case {
        const char* extension;
        const char* name;
        bool expected;
    };
    const Case cases[] = {
        {"html", "a.html", true},   {"html", "a.xhtml", true}, {"html", "a.HTML", false},
        {"html", "a.htm", false},   {"html", "html", false},   {"html", "", false},
        {"txt", "corelens_results.txt", true}, {"txt", "a.txt.html", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, has_extension(c.extension, c.name))
            << "extension \"" << c.extension << "\", name \"" << c.name << "\"";
    }
}

TEST_F(Output, UniqueNameTakesTheFirstFreeNumber) {
    struct Case {
        const char* name;
        std::vector<const char*> existing;
        const char* expected;
    };
    const Case cases[] = {
        {"corelens_results.txt", {}, "corelens_results.txt"},
        {"corelens_results.txt", {"corelens_results.txt"}, "corelens_results1.txt"},
        {"corelens_results.txt", {"corelens_results.txt", "corelens_results1.txt"},
         "corelens_results2.txt"},
        // Only the exact candidate counts: a gap makes the plain name the choice.
        {"corelens_results.txt", {"corelens_results1.txt"}, "corelens_results.txt"},
        {".txt", {".txt"}, "1.txt"},
        {".txt", {".txt", "1.txt"}, "2.txt"},
        {"a.b.html", {"a.b.html"}, "a.b1.html"},  // numbered before the last dot
    };
    for (const Case& c : cases) {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(directory_)) fs::remove(entry, ignored);
        for (const char* existing : c.existing) write_file(path_of(existing), "x");

        std::string name = c.name;
        EXPECT_EQ(1, make_unique_file_name(directory_, name)) << "name " << c.name;
        EXPECT_EQ(path_of(c.expected), name) << "name " << c.name;
    }
}

TEST(OutputNames, SeparatorJoinsEvenEmptyOrSeparatorEndedDirectories) {
    struct Case {
        std::string directory;
        std::string expected;
    };
    const Case cases[] = {
        {"", std::string(1, k_sep) + "corelens_results.txt"},
        {std::string("out") + k_sep, std::string("out") + k_sep + k_sep + "corelens_results.txt"},
        {"out", std::string("out") + k_sep + "corelens_results.txt"},
    };
    for (const Case& c : cases) {
        std::string name = "corelens_results.txt";
        EXPECT_EQ(1, make_unique_file_name(c.directory, name, nothing_exists()));
        EXPECT_EQ(c.expected, name) << "directory \"" << c.directory << "\"";
    }
}

TEST(OutputNames, ResultThatWouldNotFitIsRefusedAndNameKept) {
    const std::string name = "corelens_results.txt";  // 20 characters
    struct Case {
        std::size_t directory_length;
        bool first_taken;  // forces a numbered, one character longer candidate
        int expected;
    };
    const Case cases[] = {
        {238, false, 1},  // 238 + 1 + 20 = 259 characters: fits with its NUL
        {239, false, 0},
        {238, true, 0},   // corelens_results1.txt would make 260
        {237, true, 1},
        {400, false, 0},
    };
    for (const Case& c : cases) {
        const std::string directory(c.directory_length, 'd');
        OutputFileSystem file_system;
        file_system.name_exists = [&](const std::string&, const std::string& candidate) {
            return c.first_taken && candidate == name;
        };
        std::string buffer = name;
        EXPECT_EQ(c.expected, make_unique_file_name(directory, buffer, file_system))
            << "directory length " << c.directory_length << ", first taken " << c.first_taken;
        if (c.expected == 0) {
            EXPECT_EQ(name, buffer) << "directory length " << c.directory_length;
        } else {
            EXPECT_LT(buffer.size(), k_path_capacity);
        }
    }
}

TEST_F(Output, SaveWritesExactlyTheRenderedBytesInTheFormatOfTheName) {
    struct Case {
        const char* name;
        bool html;
    };
    const Case cases[] = {
        {"r.txt", false},
        {"r.html", true},
        {"r.xhtml", true},
        {"r.html.txt", false},  // the format follows the name, not a wish for HTML
        {"s.HTML", false},  // another base: Windows names ignore case
    };
    for (const Case& c : cases) {
        const std::string path = path_of(c.name);
        std::string reason;
        ASSERT_EQ(1, save_results(path, k_create_always, record_, context_, &reason))
            << c.name << ": " << reason;
        const std::string expected = c.html ? render_html_report(record_, context_)
                                            : render_text_report(record_, context_);
        const std::string written = read_file(path);
        EXPECT_EQ(expected, written) << c.name;
        EXPECT_EQ(std::string::npos, written.find('\0')) << c.name;
        EXPECT_NE(0, written.compare(0, 3, "\xEF\xBB\xBF")) << c.name << " starts with a BOM";
    }
    EXPECT_EQ((std::set<std::string>{"r.txt", "r.html", "r.xhtml", "r.html.txt", "s.HTML"}),
              names_in_directory())
        << "no temporary file may stay behind";
}

TEST_F(Output, CreateNewRefusesAnExistingFileAndLeavesIt) {
    const std::string path = path_of("corelens_results.txt");
    write_file(path, "keep me");
    std::string reason;
    EXPECT_EQ(0, save_results(path, k_create_new, record_, context_, &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ("keep me", read_file(path));

    const std::string fresh = path_of("fresh.txt");
    EXPECT_EQ(1, save_results(fresh, k_create_new, record_, context_, &reason)) << reason;
    EXPECT_EQ(render_text_report(record_, context_), read_file(fresh));
}

TEST_F(Output, CreateAlwaysReplacesAnExistingFile) {
    const std::string path = path_of("corelens_results.txt");
    write_file(path, std::string(9000, 'o'));  // longer than the report: nothing may remain
    std::string reason;
    EXPECT_EQ(1, save_results(path, k_create_always, record_, context_, &reason)) << reason;
    EXPECT_EQ(render_text_report(record_, context_), read_file(path));
    EXPECT_EQ((std::set<std::string>{"corelens_results.txt"}), names_in_directory());
}

TEST_F(Output, SaveThatCannotCreateReturnsZeroAndCreatesNothing) {
    write_file(path_of("plain"), "a regular file");
    struct Case {
        const char* what;
        std::string path;
    };
    const Case cases[] = {
        {"missing directory", path_of("missing") + k_sep + "r.txt"},
        {"path through a regular file", path_of("plain") + k_sep + "r.txt"},
        {"path over 255 characters", path_of(std::string(256, 'n') + ".txt")},
        {"path of exactly 256 characters",
         path_of(std::string(256 - directory_.size() - 1 - 4, 'n') + ".txt")},
    };
    for (const Case& c : cases) {
        for (const int mode : {k_create_new, k_create_always}) {
            std::string reason;
            EXPECT_EQ(0, save_results(c.path, mode, record_, context_, &reason))
                << c.what << ", mode " << mode;
            EXPECT_FALSE(reason.empty()) << c.what << ", mode " << mode;
            EXPECT_EQ(std::set<std::string>{"plain"}, names_in_directory())
                << c.what << ", mode " << mode;
        }
    }
    EXPECT_EQ("a regular file", read_file(path_of("plain")));
}

TEST_F(Output, FailedWriteLeavesNoPartFileAndKeepsAReplacedOne) {
    const OutputFileSystem file_system = failing_writes();
    const std::string existing = path_of("existing.txt");
    write_file(existing, "the old results");
    struct Case {
        const char* name;
        int mode;
    };
    const Case cases[] = {
        {"existing.txt", k_create_always},  // the old file stays as it was
        {"new.txt", k_create_always},
        {"new.txt", k_create_new},
        {"new.html", k_create_new},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_EQ(0, save_results(path_of(c.name), c.mode, record_, context_, &reason,
                                  file_system))
            << c.name << ", mode " << c.mode;
        EXPECT_EQ("staged full disk", reason) << c.name << ", mode " << c.mode;
        EXPECT_EQ(std::set<std::string>{"existing.txt"}, names_in_directory())
            << c.name << ", mode " << c.mode;
        EXPECT_EQ("the old results", read_file(existing)) << c.name << ", mode " << c.mode;
    }
}

TEST_F(Output, UniqueSaveNumbersLikeTheNameMakerAndWritesTheReport) {
    write_file(path_of("corelens_results.html"), "old");
    for (const int mode : {k_create_new, k_create_always}) {
        std::string written;
        std::string reason;
        ASSERT_EQ(1, save_unique_results(directory_, "corelens_results.html", mode, record_,
                                         context_, &written, &reason))
            << "mode " << mode << ": " << reason;
        const std::string expected_name =
            mode == k_create_new ? "corelens_results1.html" : "corelens_results2.html";
        EXPECT_EQ(path_of(expected_name), written) << "mode " << mode;
        EXPECT_EQ(render_html_report(record_, context_), read_file(written)) << "mode " << mode;
    }
    EXPECT_EQ("old", read_file(path_of("corelens_results.html")));
}

TEST_F(Output, UniqueSaveGoesOnNumberingWhenANameIsTakenAfterTheTest) {
    // Another program creates each candidate just after the existence test found it free.
    int appeared = 0;
    OutputFileSystem file_system;
    file_system.name_exists = [&](const std::string& directory, const std::string& name) {
        const bool exists = platform::name_exists_in(directory, name);
        if (!exists && appeared < 2) {
            write_file(path_of(name), "not ours " + std::to_string(appeared++));
        }
        return exists;
    };
    for (const int mode : {k_create_new, k_create_always}) {
        std::string written;
        std::string reason;
        appeared = 0;
        const std::string base = mode == k_create_new ? "new" : "always";
        const std::string name = base + ".txt";
        ASSERT_EQ(1, save_unique_results(directory_, name, mode, record_, context_, &written,
                                         &reason, file_system))
            << "mode " << mode << ": " << reason;
        EXPECT_EQ(path_of(base + "2.txt"), written) << "mode " << mode;
        EXPECT_EQ("not ours 0", read_file(path_of(base + ".txt"))) << "mode " << mode;
        EXPECT_EQ("not ours 1", read_file(path_of(base + "1.txt"))) << "mode " << mode;
        EXPECT_EQ(render_text_report(record_, context_), read_file(written)) << "mode " << mode;
    }
}

TEST_F(Output, UniqueSaveWithAStaleLookupNeverOverwrites) {
    write_file(path_of("corelens_results.txt"), "first");
    write_file(path_of("corelens_results1.txt"), "second");
    std::string written;
    std::string reason;
    ASSERT_EQ(1, save_unique_results(directory_, "corelens_results.txt", k_create_always,
                                     record_, context_, &written, &reason, nothing_exists()))
        << reason;
    EXPECT_EQ(path_of("corelens_results2.txt"), written);
    EXPECT_EQ("first", read_file(path_of("corelens_results.txt")));
    EXPECT_EQ("second", read_file(path_of("corelens_results1.txt")));
}

TEST_F(Output, UniqueSaveFailuresNameThePathAndReason) {
    struct Case {
        const char* what;
        std::string directory;
        std::string expected_path;
    };
    const std::string missing = path_of("missing");
    const std::string long_directory = path_of(std::string(240, 'd'));
    const Case cases[] = {
        {"missing directory", missing, missing + k_sep + "cpu.txt"},
        {"path over 255 characters", long_directory, long_directory + k_sep + "cpu.txt"},
    };
    for (const Case& c : cases) {
        std::string written;
        std::string reason;
        EXPECT_EQ(0, save_unique_results(c.directory, "cpu.txt", k_create_new, record_, context_,
                                         &written, &reason))
            << c.what;
        EXPECT_EQ(c.expected_path, written) << c.what;
        EXPECT_FALSE(reason.empty()) << c.what;
    }
    EXPECT_TRUE(names_in_directory().empty());
}

TEST(OutputText, TerminalText) {
    const std::string windows1252 = "Zo\xEB \x80 5\xB5m \x81";
#ifdef _WIN32
    EXPECT_EQ(windows1252, platform::terminal_text(windows1252));
#else
    EXPECT_EQ("Zo\xC3\xAB \xE2\x82\xAC 5\xC2\xB5m \xC2\x81", platform::terminal_text(windows1252));
#endif
}

#ifndef _WIN32
TEST(OutputText, Utf8ToWindows1252) {
    struct Case {
        const char* what;
        std::string utf8;
        std::string expected;
    };
    const Case cases[] = {
        {"ASCII", "build-host 7", "build-host 7"},
        {"Latin-1 letters", "J\xC3\xBCrgen \xC3\x98re", "J\xFCrgen \xD8re"},
        {"code page 0x80-0x9F", "\xE2\x82\xAC\xC5\xA0\xE2\x84\xA2\xC5\xB8", "\x80\x8A\x99\x9F"},
        {"unused control passes through", "\xC2\x81", "\x81"},
        {"no Windows-1252 form", "\xE6\x97\xA5 \xF0\x9F\x98\x80 \xC4\x80", "? ? ?"},
        {"broken sequences byte by byte", "a\xC3" "b\xFF\xE2\x82", "a?b???"},
        {"overlong and surrogate", "\xC0\xAF\xED\xA0\x80", "?????"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, platform::windows1252_from_utf8(c.utf8)) << c.what;
    }
}

TEST(OutputText, EveryWindows1252ByteSurvivesTheRoundTrip) {
    for (int byte = 1; byte < 256; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        EXPECT_EQ(text, platform::windows1252_from_utf8(platform::utf8_from_windows1252(text)))
            << "byte " << byte;
    }
}
#endif

}  // namespace
}  // namespace corelens
