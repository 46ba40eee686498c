#include "report/result_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "platform/platform.h"
#include "report/renderers.h"
#include "tests/support/app_support.h"

namespace corelens {
namespace {

using app_test::read_file;
using app_test::write_file;
using Names = std::set<std::string>;

ProcessorRecord sample_record() {
    ProcessorRecord record{};
    record.features = 0x0383FBFF;
    record.speed_mhz = 733.5f;
    std::strcpy(record.vendor_id, "GenuineIntel");
    std::strcpy(record.name, "Intel <Pentium> & \"III\"");  // escapes differ in HTML
    return record;
}

class Output : public ::testing::Test {
protected:
    std::string path_of(const std::string& name) const { return scratch_.path_of(name); }
    int save(const std::string& name, int mode, std::string* reason, const OutputFileSystem& file_system = {}) {
        return save_results(path_of(name), mode, record_, context_, reason, file_system);
    }

    app_test::ScratchDirectory scratch_;
    const ProcessorRecord record_ = sample_record();
    const ReportContext context_{6, 12, 2026, 1, 44, 38, "tester", "BUILDHOST"};
};

// A path of 259 characters is written, one of 260 refused, as asked or once numbered (the
// second save at 259 finds the first one's file), naming the path as asked.
TEST_F(Output, UniqueSaveRefusesAPathThatDoesNotFit) {
    const std::string name = "corelens_results.txt";
    const struct { std::size_t length; int result; std::string reason; } cases[] = {
        {259, 1, ""}, {260, 0, k_path_too_long}, {259, 0, k_numbered_path_too_long}};
    for (const auto& c : cases) {
        const std::string directory = path_of(std::string(c.length - name.size() - scratch_.path().size() - 2, 'd'));
        const std::string path = directory + platform::k_path_separator + name;
        std::filesystem::create_directories(directory);
        std::string written, reason;
        EXPECT_EQ(c.result, save_unique_results(directory, name, record_, context_, &written, &reason)) << c.length;
        EXPECT_EQ(c.reason, reason) << c.length;
        EXPECT_EQ(path, written) << c.length;
        EXPECT_EQ(c.length == 259 ? Names{name} : Names{}, scratch_.names(directory)) << c.length;
        EXPECT_EQ(c.length == 259 ? 1 : 0, save_results(path, k_create_always, record_, context_)) << c.length;
    }
}

TEST_F(Output, SaveWritesExactlyTheReportInTheFormatOfTheName) {
    write_file(path_of("old.txt"), std::string(9000, 'o'));  // longer than the report: nothing may remain
    struct Case { const char* name; int mode; bool html; };
    const Case cases[] = {
        {"r.xhtml", k_create_new, true},
        {"old.txt", k_create_always, false},
    };
    for (const Case& c : cases) {
        std::string reason;
        ASSERT_EQ(1, save(c.name, c.mode, &reason)) << c.name << ": " << reason;
        EXPECT_EQ(c.html ? render_html_report(record_, context_) : render_text_report(record_, context_),
                  read_file(path_of(c.name)))
            << c.name;
    }
    EXPECT_EQ((Names{"r.xhtml", "old.txt"}), scratch_.names()) << "a stray file stayed";

    std::string reason;
    EXPECT_EQ(0, save("r.xhtml", k_create_new, &reason)) << "create new replaced a file";
    EXPECT_FALSE(reason.empty());
}

TEST_F(Output, FailedWriteRemovesOnlyAFileItCreated) {
    OutputFileSystem half_disk;  // stops half-way, as a full disk would
    half_disk.write_all = [](OutputSink& sink, const char* data, std::size_t size, std::string* reason) {
        sink.write_all(data, size / 2, nullptr);
        *reason = "staged full disk";
        return false;
    };
    write_file(path_of("existing.txt"), "the old results");
    struct Case { const char* name; int mode; const char* existing_content; };
    const Case cases[] = {
        {"new.txt", k_create_always, "the old results"},
        {"existing.txt", k_create_new, "the old results"},
        {"existing.txt", k_create_always, nullptr},  // emptied in place: a part stays, reported
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_EQ(0, save(c.name, c.mode, &reason, half_disk)) << c.name << ", mode " << c.mode;
        EXPECT_EQ(Names{"existing.txt"}, scratch_.names()) << c.name << ", mode " << c.mode;
        if (c.existing_content != nullptr) {
            EXPECT_EQ(c.existing_content, read_file(path_of("existing.txt"))) << c.name << ", mode " << c.mode;
        }
    }
}

#ifndef _WIN32
// Replacing empties the file in place: what a rename over it would lose stays. (Wine,
// run as root here, lets every file be written, read-only or not.)
TEST_F(Output, ReplacingSaveKeepsTheFileItself) {
    namespace fs = std::filesystem;
    const std::string report = render_text_report(record_, context_);
    write_file(path_of("target.txt"), "old");
    fs::create_symlink("target.txt", path_of("link.txt"));
    fs::permissions(path_of("target.txt"), fs::perms::owner_read | fs::perms::owner_write);
    std::string reason;
    ASSERT_EQ(1, save("link.txt", k_create_always, &reason)) << reason;
    EXPECT_TRUE(fs::is_symlink(path_of("link.txt"))) << "the link was replaced";
    EXPECT_EQ(report, read_file(path_of("target.txt"))) << "not written through the link";
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write,
              fs::status(path_of("target.txt")).permissions() & fs::perms::all)
        << "permissions changed";
    // Root writes to any file whatever its permissions; only others see the refusal.
    if (geteuid() != 0) {
        fs::permissions(path_of("target.txt"), fs::perms::owner_read);
        EXPECT_EQ(0, save("target.txt", k_create_always, &reason)) << "a read-only file was replaced";
        EXPECT_EQ(report, read_file(path_of("target.txt")));
    }
}
#endif

TEST_F(Output, UniqueSaveGoesOnNumberingWhenANameIsTakenAfterTheTest) {
    // Another program creates each candidate just after the existence test found it free.
    int appeared = 0;
    OutputFileSystem racing;
    racing.name_exists = [&](const std::string& directory, const std::string& name) {
        const bool exists = platform::name_exists_in(directory, name);
        if (!exists && appeared < 2) write_file(path_of(name), "not ours " + std::to_string(appeared++));
        return exists;
    };
    std::string written, reason;
    ASSERT_EQ(1, save_unique_results(scratch_.path(), "my.r.txt", record_, context_, &written, &reason, racing))
        << reason;
    EXPECT_EQ(path_of("my.r2.txt"), written) << "numbered before the last dot";
    EXPECT_EQ("not ours 0", read_file(path_of("my.r.txt")));
    EXPECT_EQ("not ours 1", read_file(path_of("my.r1.txt")));
}

TEST(OutputText, TerminalTextAndWindows1252) {
#ifndef _WIN32
    EXPECT_EQ("Zo\xC3\xAB \xE2\x82\xAC 5\xC2\xB5m \xC2\x81", platform::terminal_text("Zo\xEB \x80 5\xB5m \x81"));
    struct Case { const char* what; std::string utf8; std::string expected; };
    const Case cases[] = {
        {"code page 0x80-0x9F", "\xE2\x82\xAC\xC5\xA0\xE2\x84\xA2\xC5\xB8", "\x80\x8A\x99\x9F"},
        {"no Windows-1252 form", "\xE6\x97\xA5 \xF0\x9F\x98\x80", "? ?"},
        {"broken sequences byte by byte", "a\xC3" "b\xFF\xE2\x82", "a?b???"},
        {"overlong and surrogate", "\xC0\xAF\xED\xA0\x80", "?????"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, platform::windows1252_from_utf8(c.utf8)) << c.what;
    for (int byte = 1; byte < 256; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        EXPECT_EQ(text, platform::windows1252_from_utf8(platform::utf8_from_windows1252(text))) << "byte " << byte;
    }
#endif
}

}  // namespace
}  // namespace corelens
