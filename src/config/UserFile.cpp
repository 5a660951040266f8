#include "config/UserFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

std::string UserFileProblem(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status =
        std::filesystem::status(std::filesystem::path(path), error);
    if (error) return path + ": " + error.message();
    if (status.type() == std::filesystem::file_type::directory)
        return path + ": " + std::strerror(EISDIR);
    if (status.type() != std::filesystem::file_type::regular)
        return LoadString(kStrNotRegularFile, {path});
    // A regular file opens at once; this only finds out whether we may read it.
    errno = 0;
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) return path + ": " + std::strerror(errno != 0 ? errno : EACCES);
    return {};
}

bool CheckUserFile(const std::string& path, Messages& messages) {
    const std::string problem = UserFileProblem(path);
    if (problem.empty()) return true;
    messages.Show(problem, LoadString(kStrFileIoError), MessageButtons::Ok, MessageIcon::Critical);
    return false;
}

}  // namespace quorvane
