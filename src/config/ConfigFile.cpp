#include "config/ConfigFile.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "config/CodePage.h"
#include "config/ConfigLayout.h"
#include "config/ConfigParser.h"
#include "config/ConfigWriter.h"
#include "config/UserFile.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

enum class ReadStatus { Ok, CannotOpen, TooLarge };

// Reads at most limit bytes; TooLarge when the file holds more (only with wantAll). Only a
// regular file is opened: a FIFO would block in open.
ReadStatus ReadFileBytes(const std::string& path, size_t limit, bool wantAll, std::string& bytes) {
    if (!IsRegularFile(path)) return ReadStatus::CannotOpen;
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) return ReadStatus::CannotOpen;
    bytes.clear();
    std::string chunk(64 * 1024, '\0');
    while (bytes.size() < limit) {
        const size_t want = std::min(chunk.size(), limit - bytes.size());
        in.read(chunk.data(), static_cast<std::streamsize>(want));
        const auto got = static_cast<size_t>(in.gcount());
        bytes.append(chunk, 0, got);
        if (got < want) break;
    }
    if (in.bad()) return ReadStatus::CannotOpen;
    if (wantAll && bytes.size() >= limit && in.peek() != std::char_traits<char>::eof()) {
        return ReadStatus::TooLarge;
    }
    return ReadStatus::Ok;
}

// A name next to the target that no other save is using at the same moment.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target) {
    static std::mt19937_64 generator{std::random_device{}()};
    const uint64_t tag = generator();
    std::string suffix = ".saving-";
    for (int i = 0; i < 8; ++i) suffix += "0123456789abcdef"[(tag >> (i * 4)) & 0xF];
    std::filesystem::path name = target;
    name += suffix;
    return name;
}

// Writes bytes to path through a temporary file and a rename, so that the old file is either
// kept whole or replaced whole. A symbolic link is followed: the file it points to is replaced,
// and the link stays.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
    std::error_code ec;
    std::filesystem::path target(path);
    if (std::filesystem::is_symlink(target, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(target, ec);
        if (ec) return false;
        target = resolved;
    }
    const auto temporary = TemporaryNameFor(target);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    // Keep the permissions of the file being replaced (a shared, read-only-for-others file
    // stays so).
    const auto old = std::filesystem::status(target, ec);
    if (!ec && std::filesystem::exists(old)) {
        std::filesystem::permissions(temporary, old.permissions(),
                                     std::filesystem::perm_options::replace, ec);
    }
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace

void ShowInvalidFileMessage(const std::string& path, Messages& messages) {
    messages.Show(path + " " + LoadString(kStrNotConfigFile), LoadString(kStrFileErrorTitle),
                  MessageButtons::Ok, MessageIcon::Question);
}

int16_t ValidateConfigFile(const std::string& path, Messages& messages) {
    if (path.empty()) return -2;
    // The signature and the next line are all that is looked at; a little more than that
    // is read so that a large unrelated file is not read whole.
    std::string head;
    if (ReadFileBytes(path, 4096, false, head) != ReadStatus::Ok) return -1;
    int16_t portIndex = 0;
    if (ParseConfigHeader(head, portIndex) != ConfigHeaderStatus::Ok || portIndex < 0) {
        ShowInvalidFileMessage(path, messages);
        return -1;
    }
    return portIndex;
}

bool ReadConfigFile(SetupGlobals& g, Messages& messages) {
    std::string bytes;
    if (ReadFileBytes(g.ConfigFileName, kMaxConfigFileBytes, true, bytes) != ReadStatus::Ok) {
        ShowInvalidFileMessage(g.ConfigFileName, messages);
        return false;
    }
    const ConfigParseResult result = ParseConfigBytes(bytes, g);
    if (result.status != ConfigParseStatus::Ok) {
        ShowInvalidFileMessage(g.ConfigFileName, messages);
        return false;
    }
    g.ConfigLoaded = kTrue;
    g.ConfigChanged = kFalse;
    if (result.layout == ConfigLayoutKind::Older) {
        messages.Beep();
        messages.Show(LoadString(kStrVersionNotice), LoadString(kStrVersionNoticeTitle),
                      MessageButtons::Ok, MessageIcon::None);
        g.ConfigChanged = kTrue;
    }
    return true;
}

bool WriteConfigFile(const SetupGlobals& g, Messages& messages) {
    if (g.ConfigFileName.empty()) return false;
    std::string bytes;
    if (SerializeConfig(g, bytes) && ReplaceFile(g.ConfigFileName, bytes)) return true;
    messages.Beep();
    messages.Show(LoadString(kStrFileIoError), "", MessageButtons::Ok, MessageIcon::None);
    return false;
}

void FillNamedFormats(SetupGlobals& g) {
    for (int k = 1; k <= 6; ++k) {
        g.NamedFormats[k].DisplayName =
            CodePage::FromUtf8(LoadString(kStrFirstNamedFormat - 1 + k));
        g.NamedFormats[k].StoredName = kNamedFormatStoredNames[k];
    }
}

void LoadOrReset(SetupGlobals& g, Messages& messages, const LoadHooks& hooks) {
    FillNamedFormats(g);
    if (hooks.SetWaitCursor) hooks.SetWaitCursor(true);
    const int16_t status = ValidateConfigFile(g.ConfigFileName, messages);
    if (status < 0 || !ReadConfigFile(g, messages)) {
        g.ConfigFileName.clear();
        ResetToDefaults(g, hooks.HomeDirectory.empty() ? HomeDirectory() : hooks.HomeDirectory);
    }
    if (hooks.ShowConfigTitle) hooks.ShowConfigTitle();
    if (hooks.SetWaitCursor) hooks.SetWaitCursor(false);
}

}  // namespace quorvane
