#include "platform/linux/DesktopRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstdlib>

#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

const StringTable& Table(Language language) {
    static const StringTable english(Language::English);
    static const StringTable japanese(Language::Japanese);
    return language == Language::Japanese ? japanese : english;
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// The escapes of a desktop file's string value.
std::string DesktopValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Writes content to path unless the file already holds exactly that. False when the write
// failed.
bool WriteIfDifferent(const QString& path, const QByteArray& content, bool& written) {
    written = false;
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == content) return true;
    existing.close();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    // Written beside and renamed, so the desktop never reads half a file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(content) != content.size() || !file.commit()) return false;
    written = true;
    return true;
}

bool StartDetached(const QString& program, const QStringList& arguments) {
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty()) return false;
    QProcess process;
    process.setProgram(found);
    process.setArguments(arguments);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

}  // namespace

QString XdgDataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return QString::fromLocal8Bit(xdg);
    const char* home = std::getenv("HOME");
    return QString::fromLocal8Bit(home && home[0] ? home : ".") + "/.local/share";
}

std::string MimePackageText() {
    const std::string en = Table(Language::English).Text(kStrConfigFileTypeComment);
    const std::string ja = Table(Language::Japanese).Text(kStrConfigFileTypeComment);
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") +
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n" +
           "  <mime-type type=\"" + kConfigMimeType + "\">\n" + "    <comment>" + XmlEscaped(en) +
           "</comment>\n" + "    <comment xml:lang=\"ja\">" + XmlEscaped(ja) + "</comment>\n" +
           "    <icon name=\"quorvane\"/>\n"
           // Globs are matched without regard to letter case; both spellings are listed for
           // readers that do not know that.
           "    <glob pattern=\"*.qv3\"/>\n"
           "    <glob pattern=\"*.QV3\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string DesktopExecArgument(const std::string& path) {
    bool needsQuotes = path.empty();
    std::string quoted;
    for (char c : path) {
        if (c == '%') {
            quoted += "%%";  // field codes start with %
            continue;
        }
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
            needsQuotes = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\'' || c == '>' || c == '<' ||
                   c == '~' || c == '|' || c == '&' || c == ';' || c == '*' || c == '?' ||
                   c == '#' || c == '(' || c == ')') {
            needsQuotes = true;
        }
        quoted += c;
    }
    return DesktopValue(needsQuotes ? "\"" + quoted + "\"" : quoted);
}

std::string DesktopEntryText(const std::string& programPath) {
    const StringTable& en = Table(Language::English);
    const StringTable& ja = Table(Language::Japanese);
    std::string text = "[Desktop Entry]\nType=Application\nVersion=1.4\n";
    text += "Name=" + DesktopValue(en.Text(kStrQuorvaneTitle)) + "\n";
    text += "Name[ja]=" + DesktopValue(ja.Text(kStrQuorvaneTitle)) + "\n";
    text += "GenericName=" + DesktopValue(en.Text(kStrDesktopGenericName)) + "\n";
    text += "GenericName[ja]=" + DesktopValue(ja.Text(kStrDesktopGenericName)) + "\n";
    text += "Comment=" + DesktopValue(en.Text(kStrDesktopComment)) + "\n";
    text += "Comment[ja]=" + DesktopValue(ja.Text(kStrDesktopComment)) + "\n";
    text += "Exec=" + DesktopExecArgument(programPath) + " %f\n";
    text += "Icon=quorvane\nTerminal=false\nCategories=Utility;\n";
    text += std::string("MimeType=") + kConfigMimeType + ";\n";
    return text;
}

DesktopRegistrationResult RegisterDesktopIntegration(const QString& programPath,
                                                     const DesktopIconFiles& icons,
                                                     const QString& dataHome) {
    const QString root = dataHome.isEmpty() ? XdgDataHome() : dataHome;
    DesktopRegistrationResult result;
    auto write = [&](const QString& relative, const QByteArray& content) {
        bool written = false;
        if (!WriteIfDifferent(root + "/" + relative, content, written)) result.failed = true;
        if (written) result.written.push_back(relative);
        return written;
    };

    const bool mimeWritten =
        write("mime/packages/quorvane.xml", QByteArray::fromStdString(MimePackageText()));
    const bool desktopWritten =
        write("applications/quorvane.desktop",
              QByteArray::fromStdString(DesktopEntryText(programPath.toStdString())));
    if (!icons.svg.isEmpty()) write("icons/hicolor/scalable/apps/quorvane.svg", icons.svg);
    if (!icons.png128.isEmpty()) write("icons/hicolor/128x128/apps/quorvane.png", icons.png128);

    // The database is rebuilt when the package changed, and also when an earlier start wrote
    // the package but could not rebuild it (the type's own file is then missing).
    const QString mimeFolder = root + "/mime";
    const bool mimeKnown =
        QFileInfo::exists(mimeFolder + "/" + QString::fromLatin1(kConfigMimeType) + ".xml");
    if ((mimeWritten || !mimeKnown) && StartDetached("update-mime-database", {mimeFolder}))
        result.started.push_back("update-mime-database");
    if (desktopWritten && StartDetached("update-desktop-database", {root + "/applications"}))
        result.started.push_back("update-desktop-database");
    return result;
}

}  // namespace quorvane
