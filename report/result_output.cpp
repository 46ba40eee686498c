#include "report/result_output.h"

#include <cstdint>

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

std::string render_for(const std::string& path, const ProcessorRecord& record,
                       const ReportContext& context) {
    return has_extension("html", path) ? render_html_report(record, context)
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
        const std::size_t dot = name.rfind('.');
        if (dot == std::string::npos) {
            // No caller passes a name without a dot: number the whole name.
            base_ = name;
        } else {
            base_ = name.substr(0, dot);
            extension_ = "." + name.substr(dot + 1);
        }
    }
    std::string next() { return base_ + std::to_string(counter_++) + extension_; }

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
    if (!write_bytes(file_system, file, bytes, reason) || !file.close(reason)) {
        file.close(nullptr);
        if (created == platform::CreateResult::created) platform::remove_file(path);
        return Outcome::failed;
    }
    return Outcome::written;
}

bool is_known_mode(int mode) { return mode == k_create_new || mode == k_create_always; }

}  // namespace

bool has_extension(const std::string& extension, const std::string& name) {
    return name.size() > extension.size() &&
           name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
}

int make_unique_file_name(const std::string& directory, std::string& name) {
    return make_unique_file_name(directory, name, OutputFileSystem{});
}

int make_unique_file_name(const std::string& directory, std::string& name,
                          const OutputFileSystem& file_system) {
    NumberedNames numbered(name);
    std::string candidate = name;
    for (;;) {
        std::string path = join_path(directory, candidate);
        if (path.size() >= k_path_capacity) return 0;  // refused, never cut
        if (!name_exists(file_system, directory, candidate)) {
            name = std::move(path);
            return 1;
        }
        candidate = numbered.next();
    }
}

int save_results(const std::string& path, int mode, const ProcessorRecord& record,
                 const ReportContext& context, std::string* reason) {
    return save_results(path, mode, record, context, reason, OutputFileSystem{});
}

int save_results(const std::string& path, int mode, const ProcessorRecord& record,
                 const ReportContext& context, std::string* reason,
                 const OutputFileSystem& file_system) {
    if (path.size() > k_save_path_limit) {
        set_reason(reason, "the path is longer than 255 characters");
        return 0;
    }
    if (!is_known_mode(mode)) {
        set_reason(reason, "unknown creation mode " + std::to_string(mode));
        return 0;
    }
    return write_file(path, mode, render_for(path, record, context), file_system, reason) == Outcome::written ? 1 : 0;
}

int save_results(const std::string& path, int mode, std::string* reason) {
    return save_results(path, mode, processor_record, gather_report_context(), reason);
}

int save_unique_results(const std::string& directory, const std::string& name, int mode,
                        const ProcessorRecord& record, const ReportContext& context,
                        std::string* written_path, std::string* reason) {
    return save_unique_results(directory, name, mode, record, context, written_path, reason,
                               OutputFileSystem{});
}

int save_unique_results(const std::string& directory, const std::string& name, int mode,
                        const ProcessorRecord& record, const ReportContext& context,
                        std::string* written_path, std::string* reason,
                        const OutputFileSystem& file_system) {
    std::string unused_path;
    std::string& path_out = written_path != nullptr ? *written_path : unused_path;
    path_out = join_path(directory, name);
    if (!is_known_mode(mode)) {
        set_reason(reason, "unknown creation mode " + std::to_string(mode));
        return 0;
    }
    NumberedNames numbered(name);
    std::string candidate = name;
    int taken = 0;
    for (;;) {
        const std::string path = join_path(directory, candidate);
        if (path.size() > k_save_path_limit) {
            set_reason(reason, "the numbered path would be longer than 255 characters");
            return 0;
        }
        if (name_exists(file_system, directory, candidate)) {
            candidate = numbered.next();
            continue;
        }
        path_out = path;
        // Both modes create exclusively: whatever appeared since the test stays untouched.
        const Outcome outcome =
            write_file(path, k_create_new, render_for(path, record, context), file_system, reason);
        if (outcome == Outcome::written) return 1;
        if (outcome == Outcome::failed) return 0;
        if (++taken >= k_most_taken_names) {
            set_reason(reason, "every numbered name tried was taken");
            return 0;
        }
        candidate = numbered.next();
    }
}

int save_unique_results(const std::string& directory, const std::string& name, int mode,
                        std::string* written_path, std::string* reason) {
    return save_unique_results(directory, name, mode, processor_record, gather_report_context(),
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
