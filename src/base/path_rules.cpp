#include "base/path_rules.h"

namespace tarnwick {
namespace {

// True when position `end` is the end of the text or a backslash, i.e. the
// dots before it form a whole path component.
template <class String>
bool ComponentEndsAt(const String& text, size_t end) {
    return end == text.size() || text[end] == static_cast<typename String::value_type>('\\');
}

template <class String>
String Normalise(String text) {
    using Char = typename String::value_type;
    const Char backslash = static_cast<Char>('\\');
    const Char dot = static_cast<Char>('.');

    // "\." components go. Only whole components: a file named ".config" is
    // a name, not a reference to the current folder.
    for (size_t i = 0; i + 1 < text.size();) {
        if (text[i] == backslash && text[i + 1] == dot && ComponentEndsAt(text, i + 2)) {
            text.erase(i, 2);
        } else {
            ++i;
        }
    }

    // Each "\.." takes the component before it along, with the backslash
    // that follows it. A ".." at the root goes alone: nothing lies above.
    for (size_t i = 0; i + 2 < text.size();) {
        if (!(text[i] == backslash && text[i + 1] == dot && text[i + 2] == dot &&
              ComponentEndsAt(text, i + 3))) {
            ++i;
            continue;
        }
        const size_t removeEnd = i + 3 < text.size() ? i + 4 : i + 3;
        const size_t previous = i == 0 ? String::npos : text.rfind(backslash, i - 1);
        if (previous == String::npos) {
            text.erase(i, 3);
            continue;
        }
        text.erase(previous + 1, removeEnd - (previous + 1));
        i = previous;
    }
    return text;
}

}  // namespace

template <class String>
String JoinPath(const String& base, const String& path) {
    using Char = typename String::value_type;
    const Char backslash = static_cast<Char>('\\');
    const bool pathLeads = !path.empty() && path.front() == backslash;
    if (!base.empty() && base.back() == backslash) {
        return base + (pathLeads ? path.substr(1) : path);
    }
    if (pathLeads || base.empty()) return base + path;
    return base + backslash + path;
}

template <class String>
String PathRoot(const String& path) {
    using Char = typename String::value_type;
    const Char backslash = static_cast<Char>('\\');
    if (path.size() > 2 && path[0] == backslash && path[1] == backslash) {
        const size_t server = path.find(backslash, 2);
        if (server == String::npos) return path;
        const size_t share = path.find(backslash, server + 1);
        return share == String::npos ? path : path.substr(0, share);
    }
    if (path.size() >= 2 && path[1] == static_cast<Char>(':')) return path.substr(0, 2);
    return String();
}

template <class String>
String ResolveOptionPath(const String& path, const String& baseFolder) {
    if (!PathRoot(path).empty()) return path;
    return Normalise(JoinPath(baseFolder, path));
}

template <class String>
String BaseFolderOf(const String& executablePath) {
    using Char = typename String::value_type;
    const String root = PathRoot(executablePath);
    const size_t last = executablePath.rfind(static_cast<Char>('\\'));
    if (last == String::npos || last < root.size()) return root;
    return executablePath.substr(0, last + 1);
}

template std::string JoinPath(const std::string&, const std::string&);
template std::u16string JoinPath(const std::u16string&, const std::u16string&);
template std::string PathRoot(const std::string&);
template std::u16string PathRoot(const std::u16string&);
template std::string ResolveOptionPath(const std::string&, const std::string&);
template std::u16string ResolveOptionPath(const std::u16string&, const std::u16string&);
template std::string BaseFolderOf(const std::string&);
template std::u16string BaseFolderOf(const std::u16string&);

std::vector<std::string> SplitPathVariable(const std::string& path) {
    std::vector<std::string> entries;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find(';', start);
        if (end == std::string::npos) end = path.size();
        entries.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

}  // namespace tarnwick
