#include "platform/linux/DesktopRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstdlib>
#include <functional>

#include "config/ConfigLayout.h"
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

// The text with its Exec line left out: the desktop file an earlier start wrote differs from
// today's only there when the program has moved.
QByteArray WithoutExecLine(const QByteArray& text) {
    QByteArray out;
    for (const QByteArray& line : text.split('\n'))
        if (!line.startsWith("Exec=")) out += line + '\n';
    return out;
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

QStringList SystemDataDirs(const QString& programPath) {
    QStringList dirs;
    const QFileInfo program(programPath);
    if (program.isAbsolute()) dirs << QDir::cleanPath(program.absolutePath() + "/../share");
    const char* xdg = std::getenv("XDG_DATA_DIRS");
    const QString list = QString::fromLocal8Bit(xdg && xdg[0] ? xdg : "/usr/local/share:/usr/share");
    for (const QString& entry : list.split(':', Qt::SkipEmptyParts)) {
        if (!entry.startsWith('/')) continue;  // relative entries are invalid and ignored
        const QString dir = QDir::cleanPath(entry);
        if (!dirs.contains(dir)) dirs << dir;
    }
    return dirs;
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
           // A file whatever its name: the reader takes nothing but one of these first lines.
           "    <magic priority=\"60\">\n"
           "      <match type=\"string\" offset=\"0\" value=\"" +
           XmlEscaped(std::string(kSignatureCurrent)) + "\"/>\n" +
           "      <match type=\"string\" offset=\"0\" value=\"" +
           XmlEscaped(std::string(kSignatureOld)) + "\"/>\n" +
           "    </magic>\n"
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
                                                     const QString& dataHome,
                                                     const std::optional<QStringList>& systemDirs) {
    const QString root = dataHome.isEmpty() ? XdgDataHome() : dataHome;
    const QStringList installed = systemDirs ? *systemDirs : SystemDataDirs(programPath);
    DesktopRegistrationResult result;
    auto isInstalled = [&](const QString& relative) {
        for (const QString& dir : installed) {
            if (QDir::cleanPath(dir) == QDir::cleanPath(root)) continue;  // the user's own
            if (QFileInfo(dir + "/" + relative).isFile()) return true;
        }
        return false;
    };
    // ours: whether a file in the user's folder is a copy an earlier start wrote.
    auto place = [&](const QString& relative, const QByteArray& content,
                     const std::function<bool(const QByteArray&)>& ours) {
        const QString path = root + "/" + relative;
        if (isInstalled(relative)) {
            result.provided.push_back(relative);
            QFile earlier(path);
            if (earlier.open(QIODevice::ReadOnly) && ours(earlier.readAll())) {
                earlier.close();
                if (QFile::remove(path)) {
                    result.removed.push_back(relative);
                    return true;
                }
            }
            return false;
        }
        bool written = false;
        if (!WriteIfDifferent(path, content, written)) result.failed = true;
        if (written) result.written.push_back(relative);
        return written;
    };
    auto same = [](const QByteArray& wanted) {
        return [wanted](const QByteArray& found) { return found == wanted; };
    };

    const QByteArray mime = QByteArray::fromStdString(MimePackageText());
    const bool mimeChanged = place("mime/packages/quorvane.xml", mime, same(mime));
    const QByteArray desktop =
        QByteArray::fromStdString(DesktopEntryText(programPath.toStdString()));
    const bool desktopChanged =
        place("applications/quorvane.desktop", desktop, [&](const QByteArray& found) {
            return WithoutExecLine(found) == WithoutExecLine(desktop);
        });
    if (!icons.svg.isEmpty())
        place("icons/hicolor/scalable/apps/quorvane.svg", icons.svg, same(icons.svg));
    if (!icons.png128.isEmpty())
        place("icons/hicolor/128x128/apps/quorvane.png", icons.png128, same(icons.png128));

    // The database is rebuilt when the package changed (written, or removed because an
    // installed one took its place), and also when an earlier start wrote the package but
    // could not rebuild it (the type's own file is then missing).
    const QString mimeFolder = root + "/mime";
    const bool userPackage = QFileInfo::exists(mimeFolder + "/packages/quorvane.xml");
    const bool mimeKnown =
        QFileInfo::exists(mimeFolder + "/" + QString::fromLatin1(kConfigMimeType) + ".xml");
    const bool mimeStale = userPackage ? !mimeKnown : mimeKnown;
    if ((mimeChanged || mimeStale) && StartDetached("update-mime-database", {mimeFolder}))
        result.started.push_back("update-mime-database");
    if (desktopChanged && StartDetached("update-desktop-database", {root + "/applications"}))
        result.started.push_back("update-desktop-database");
    return result;
}

}  // namespace quorvane
