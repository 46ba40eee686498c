#include "tools/inventory_command.h"

#include <algorithm>
#include <cstdio>

#include "platform/platform.h"
#include "report/inventory.h"

namespace corelens {

namespace {

// Names batch mode gives its files; other files in a folder (a log-on script, desktop.ini)
// are not reports and not worth a message. Files named on the command line are always read.
bool has_result_ending(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    const auto ends_with = [&](const std::string& ending) {
        return lower.size() > ending.size() && lower.compare(lower.size() - ending.size(), ending.size(), ending) == 0;
    };
    return ends_with(".txt") || ends_with(".html") || ends_with(".htm");
}

std::string joined(const std::string& directory, const std::string& name) {
    const char last = directory.empty() ? platform::k_path_separator : directory.back();
    const bool separated = last == '/' || last == platform::k_path_separator || (platform::k_path_separator == '\\' && last == ':');
    return directory + (separated ? "" : std::string(1, platform::k_path_separator)) + name;
}

const char* const k_program = "corelens-cpuid";

// The path and the reason, control characters escaped.
void complain(const std::string& path, const std::string& what) {
    platform::print_error(k_program, path + ": " + platform::terminal_text(what));
}

int usage_error(const std::string& message) {
    platform::print_error(k_program, message);
    std::fputs("Try 'corelens-cpuid --help'.\n", stderr);
    return 2;
}

// The files to read: each path that is not a folder, and the report-named files of each
// folder (and, when recursive, of the folders below it). Folders that cannot be read are
// named on standard error and counted.
std::vector<std::string> files_to_read(const std::vector<std::string>& paths, bool recursive, int& failures) {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    for (const std::string& path : paths) {
        (platform::path_kind(path) == platform::PathKind::directory ? folders : files).push_back(path);
    }
    while (!folders.empty()) {
        const std::string folder = folders.back();
        folders.pop_back();
        std::vector<platform::DirectoryEntry> entries;
        std::string reason;
        if (!platform::list_directory(folder, entries, &reason)) {
            complain(folder, reason);
            ++failures;
        }
        for (const platform::DirectoryEntry& entry : entries) {
            if (entry.kind == platform::PathKind::file && has_result_ending(entry.name)) {
                files.push_back(joined(folder, entry.name));
            } else if (entry.kind == platform::PathKind::directory && recursive) {
                folders.push_back(joined(folder, entry.name));
            }
        }
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

}  // namespace

int inventory_command(const std::vector<std::string>& arguments) {
    bool json = false;
    bool recursive = false;
    bool every_report = false;
    bool options = true;
    std::vector<std::string> paths;
    for (const std::string& argument : arguments) {
        if (options && (argument == "--csv" || argument == "--json")) {
            json = argument == "--json";
        } else if (options && (argument == "-r" || argument == "--recursive")) {
            recursive = true;
        } else if (options && (argument == "-a" || argument == "--all")) {
            every_report = true;
        } else if (options && argument == "--") {
            options = false;
        } else if (options && argument.size() > 1 && argument[0] == '-') {
            return usage_error("unknown option '" + argument + "'");
        } else if (argument.empty()) {
            return usage_error("empty file name");
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.empty()) return usage_error("inventory needs a result file or a folder");

    int failures = 0;
    std::vector<InventoryEntry> entries;
    for (const std::string& path : files_to_read(paths, recursive, failures)) {
        std::string content, reason;
        InventoryEntry entry{path, {}};
        if (!platform::read_small_file(path, k_result_file_limit, content, &reason)) {
            complain(path, reason);
            ++failures;
        } else if (!read_result_fields(content, entry.fields, reason)) {
            complain(path, "not a Corelens result file: " + reason);
            ++failures;
        } else {
            entries.push_back(std::move(entry));
        }
    }
    const std::vector<std::vector<Field>> rows = inventory_rows(std::move(entries), every_report);
    const std::string out = json ? inventory_json(rows) : inventory_csv(rows);
    // UTF-8 already: written as it is.
    std::string reason;
    if (!platform::write_standard_output(out, &reason)) {
        platform::print_error(k_program, "write error: " + reason);
        return 1;
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace corelens
