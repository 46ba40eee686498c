#include "report/result_output.h"

#include <cstdint>

#include "platform/format.h"
#include "platform/platform.h"

namespace corelens {

namespace {

// How often a created name may turn out taken before batch mode gives up: only another
// program racing us for every number could get there.
constexpr int k_most_taken_names = 1000;

enum class Outcome { written, taken, failed };

void set_reason(std::string* reason, const std::string& text) {
    if (reason != nullptr) *reason = text;
}

bool name_exists(const OutputFileSystem& file_system, const std::string& directory,
                 const std::string& name) {
    return file_system.name_exists ? file_system.name_exists(directory, name)
                                   : platform::name_exists_in(directory, name);
}

class FileSink final : public OutputSink {
public:
    explicit FileSink(platform::OutputFile& file) : file_(file) {}
    bool write_all(const char* data, std::size_t size, std::string* reason) override {
        return file_.write_all(data, size, reason);
    }

private:
    platform::OutputFile& file_;
};

bool write_bytes(const OutputFileSystem& file_system, platform::OutputFile& file,
                 const std::string& bytes, std::string* reason) {
    FileSink sink(file);
    return file_system.write_all ? file_system.write_all(sink, bytes.data(), bytes.size(), reason)
                                 : sink.write_all(bytes.data(), bytes.size(), reason);
}

std::string render_as(ReportFormat format, const ProcessorRecord& record, const ReportContext& context) {
    return format == ReportFormat::html ? render_html_report(record, context)
                                        : render_text_report(record, context);
}

std::string join_path(const std::string& directory, const std::string& name) {
    // The separator goes in even after an empty directory or one that ends in one.
    return directory + platform::k_path_separator + name;
}

// The candidates after the unchanged name: base, counter, extension, the counter from 1.
class NumberedNames {
public:
    explicit NumberedNames(const std::string& name) {
        // Split at the last dot: my.cpu.txt numbers as my.cpu1.txt. No caller passes a name
        // without a dot; the whole name is then the base.
        const std::size_t dot = name.rfind('.');
        base_ = name.substr(0, dot);
        if (dot != std::string::npos) extension_ = name.substr(dot);
    }
    std::string next() { return base_ + platform::unsigned_decimal(counter_++) + extension_; }

private:
    std::string base_;
    std::string extension_;  // with its dot
    std::uint64_t counter_ = 1;
};

// Creates path (k_create_new: exclusively; k_create_always: or empties the file there in
// place) and writes bytes to it. A file this call created but could not fill is removed;
// a file it emptied stays, and the failure is reported.
Outcome write_file(const std::string& path, int mode, const std::string& bytes,
                   const OutputFileSystem& file_system, std::string* reason) {
    platform::OutputFile file;
    const platform::CreateResult created = file.create(path, mode, reason);
    switch (created) {
    case platform::CreateResult::created:
    case platform::CreateResult::replaced:
        break;
    case platform::CreateResult::exists:
        return Outcome::taken;
    case platform::CreateResult::failed:
        return Outcome::failed;
    }
    // Written only once the bytes reached the device and the file closed cleanly.
    if (!write_bytes(file_system, file, bytes, reason) || !file.sync(reason) || !file.close(reason)) {
        file.close(nullptr);
        if (created == platform::CreateResult::created) platform::remove_file(path);
        return Outcome::failed;
    }
    return Outcome::written;
}

int save_as(const std::string& path, int mode, ReportFormat format, const ProcessorRecord& record,
            const ReportContext& context, std::string* reason, const OutputFileSystem& file_system) {
    if (!platform::path_fits(path)) {
        set_reason(reason, k_path_too_long);
        return 0;
    }
    return write_file(path, mode, render_as(format, record, context), file_system, reason) == Outcome::written ? 1 : 0;
}

}  // namespace

// The texts name the longest path: k_path_capacity less its NUL.
static_assert(platform::k_path_capacity == 260);
const char* const k_path_too_long = "the path is longer than 259 characters";
const char* const k_numbered_path_too_long = "the numbered path would be longer than 259 characters";

bool has_extension(const std::string& extension, const std::string& name) {
    return name.size() > extension.size() &&
           name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
}

ReportFormat format_of(const std::string& path) {
    return has_extension("html", path) ? ReportFormat::html : ReportFormat::text;
}

int save_results(const std::string& path, int mode, const ProcessorRecord& record,
                 const ReportContext& context, std::string* reason,
                 const OutputFileSystem& file_system) {
    return save_as(path, mode, format_of(path), record, context, reason, file_system);
}

int save_results(const std::string& path, int mode, ReportFormat format, std::string* reason) {
    return save_as(path, mode, format, processor_record, gather_report_context(), reason, {});
}

int save_unique_results(const std::string& directory, const std::string& name,
                        const ProcessorRecord& record, const ReportContext& context,
                        std::string* written_path, std::string* reason,
                        const OutputFileSystem& file_system) {
    std::string unused_path;
    std::string& path_out = written_path != nullptr ? *written_path : unused_path;
    path_out = join_path(directory, name);
    NumberedNames numbered(name);
    int taken = 0;
    for (std::string candidate = name;; candidate = numbered.next()) {
        const std::string path = join_path(directory, candidate);
        if (!platform::path_fits(path)) {
            set_reason(reason, candidate == name ? k_path_too_long : k_numbered_path_too_long);
            return 0;
        }
        if (name_exists(file_system, directory, candidate)) continue;
        path_out = path;
        // Created exclusively: whatever appeared since the test stays untouched.
        const Outcome outcome =
            write_file(path, k_create_new, render_as(format_of(path), record, context), file_system, reason);
        if (outcome != Outcome::taken) return outcome == Outcome::written ? 1 : 0;
        if (++taken >= k_most_taken_names) {
            set_reason(reason, "every numbered name tried was taken");
            return 0;
        }
    }
}

int save_unique_results(const std::string& directory, const std::string& name,
                        std::string* written_path, std::string* reason) {
    return save_unique_results(directory, name, processor_record, gather_report_context(),
                               written_path, reason);
}

ReportContext gather_report_context() {
    ReportContext context;
    const platform::LocalTime now = platform::local_time();
    context.day = now.day;
    context.month = now.month;
    context.year = now.year;
    context.hour = now.hour;
    context.minute = now.minute;
    context.second = now.second;
    context.user_name = platform::user_name();
    context.computer_name = platform::computer_name();
    return context;
}

}  // namespace corelens
