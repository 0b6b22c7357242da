// Publishing custom icons where Linux file managers look: a PNG beside the
// item, GIO's metadata attribute and KDE's ".directory" entry. GIO is used
// only here (its headers do not mix with Qt's).
#include "platform/icons/DesktopIcons.h"

#include "platform/files/FileIO.h"

#include <gio/gio.h>

#include <cerrno>
#include <memory>
#include <unistd.h>

namespace {

constexpr const char* kCustomIconAttribute = "metadata::custom-icon";
constexpr std::string_view kDesktopEntryGroup = "[Desktop Entry]";
constexpr std::string_view kDirectoryEntryName = ".directory";
// How a folder's ".directory" names the picture inside the folder.
constexpr std::string_view kFolderIconEntry = "./.icon.png";

struct GObjectUnref {
    void operator()(gpointer p) const { g_object_unref(p); }
};
struct GErrorFree {
    void operator()(GError* e) const { g_error_free(e); }
};
struct GFree {
    void operator()(gpointer p) const { g_free(p); }
};
using UniqueGFile = std::unique_ptr<GFile, GObjectUnref>;
using UniqueGError = std::unique_ptr<GError, GErrorFree>;
using UniqueGChars = std::unique_ptr<char, GFree>;

// Sets the item's custom-icon attribute to `uri`, or unsets it when `uri` is
// empty. Without a metadata service GIO does not support the attribute:
// that is how such a desktop is, not a failure.
[[nodiscard]] OSErr SetCustomIconAttribute(const std::string& path, const std::string& uri) {
    UniqueGFile file(g_file_new_for_path(path.c_str()));
    GError* raw = nullptr;
    const gboolean ok =
        uri.empty() ? g_file_set_attribute(file.get(), kCustomIconAttribute, G_FILE_ATTRIBUTE_TYPE_INVALID, nullptr,
                                           G_FILE_QUERY_INFO_NONE, nullptr, &raw)
                    : g_file_set_attribute_string(file.get(), kCustomIconAttribute, uri.c_str(),
                                                  G_FILE_QUERY_INFO_NONE, nullptr, &raw);
    UniqueGError error(raw);
    if (ok) return noErr;
    if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED)) return noErr;
    if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_NOT_FOUND)) return fnfErr;
    if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED)) return permErr;
    return ioErr;
}

std::string FileUri(const std::string& path) {
    UniqueGFile file(g_file_new_for_path(path.c_str()));
    UniqueGChars uri(g_file_get_uri(file.get()));
    return uri ? std::string(uri.get()) : std::string();
}

std::string_view Trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool IsGroupHeader(std::string_view line) {
    const std::string_view t = Trimmed(line);
    return t.size() >= 2 && t.front() == '[' && t.back() == ']';
}

// True for an "Icon=" line (not a localised "Icon[xx]="), with its value.
bool IconLineValue(std::string_view line, std::string_view* value) {
    const std::string_view t = Trimmed(line);
    const auto eq = t.find('=');
    if (eq == std::string_view::npos || Trimmed(t.substr(0, eq)) != "Icon") return false;
    *value = Trimmed(t.substr(eq + 1));
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string_view>& lines) {
    std::string out;
    for (std::string_view line : lines) {
        out.append(line);
        out.push_back('\n');
    }
    return out;
}

[[nodiscard]] OSErr RewriteDirectoryEntry(const std::string& folder, bool publish) {
    const std::string path = folder + "/" + std::string(kDirectoryEntryName);
    std::vector<UInt8> bytes;
    OSErr err = ReadWholeFile(path, &bytes, kMaxDirectoryEntryBytes);
    if (err == fnfErr) {
        if (!publish) return noErr;
        bytes.clear();
    } else if (err != noErr) {
        return err;
    }
    const std::string_view old(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string text =
        publish ? DirectoryEntryWithIcon(old, kFolderIconEntry) : DirectoryEntryWithoutIcon(old, kFolderIconEntry);
    if (text == old) return noErr;
    if (!publish && IsEmptyDirectoryEntry(text))
        return ::unlink(path.c_str()) == 0 || errno == ENOENT ? OSErr(noErr) : OSErrFromErrno(errno);
    return WriteFileAtomically(path, std::span(reinterpret_cast<const UInt8*>(text.data()), text.size()));
}

}  // namespace

std::string PublishedIconPath(const std::string& path, bool isFolder) {
    if (isFolder) return path + "/.icon.png";
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".icon.png";
}

OSErr PublishCustomIcon(const std::string& path, bool isFolder, std::span<const UInt8> png) {
    if (path.empty() || png.empty()) return paramErr;
    if (isFolder ? !PathIsFolder(path) : !PathIsFile(path)) return PathExists(path) ? paramErr : fnfErr;
    const std::string picture = PublishedIconPath(path, isFolder);
    if (OSErr err = WriteFileAtomically(picture, png); err != noErr) return err;
    if (isFolder)
        if (OSErr err = RewriteDirectoryEntry(path, true); err != noErr) return err;
    return SetCustomIconAttribute(path, FileUri(picture));
}

OSErr RemovePublishedCustomIcon(const std::string& path, bool isFolder) {
    if (path.empty()) return paramErr;
    const std::string picture = PublishedIconPath(path, isFolder);
    if (::unlink(picture.c_str()) != 0 && errno != ENOENT) return OSErrFromErrno(errno);
    if (!PathExists(path)) return noErr;
    if (isFolder)
        if (OSErr err = RewriteDirectoryEntry(path, false); err != noErr) return err;
    return SetCustomIconAttribute(path, {});
}

std::string DirectoryEntryWithIcon(std::string_view text, std::string_view icon) {
    const std::string iconLine = "Icon=" + std::string(icon);
    std::vector<std::string_view> out;
    bool inDesktopEntry = false, written = false;
    for (std::string_view line : SplitLines(text)) {
        std::string_view value;
        if (IsGroupHeader(line)) {
            inDesktopEntry = Trimmed(line) == kDesktopEntryGroup;
            out.push_back(line);
            if (inDesktopEntry && !written) {
                out.push_back(iconLine);
                written = true;
            }
        } else if (!(inDesktopEntry && IconLineValue(line, &value))) {
            out.push_back(line);
        }
    }
    if (!written) {
        if (!out.empty() && !Trimmed(out.back()).empty()) out.push_back({});
        out.push_back(kDesktopEntryGroup);
        out.push_back(iconLine);
    }
    return JoinLines(out);
}

std::string DirectoryEntryWithoutIcon(std::string_view text, std::string_view icon) {
    std::vector<std::string_view> out;
    bool inDesktopEntry = false, removed = false;
    for (std::string_view line : SplitLines(text)) {
        std::string_view value;
        if (IsGroupHeader(line)) {
            inDesktopEntry = Trimmed(line) == kDesktopEntryGroup;
        } else if (inDesktopEntry && IconLineValue(line, &value) && value == icon) {
            removed = true;
            continue;
        }
        out.push_back(line);
    }
    return removed ? JoinLines(out) : std::string(text);
}

bool IsEmptyDirectoryEntry(std::string_view text) {
    for (std::string_view line : SplitLines(text))
        if (!Trimmed(line).empty() && !IsGroupHeader(line)) return false;
    return true;
}
