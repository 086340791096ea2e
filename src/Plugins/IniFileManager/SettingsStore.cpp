#include "SettingsStore.h"

#include "OrvFramework/Utilities/Storage/Hex.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "OrvFramework/Platform/Files.h"

namespace IniPlugin {
namespace {

std::string Escape(const std::string& text, const char* extra) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || std::string_view(extra).find(static_cast<char>(c)) != std::string_view::npos) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == '\\') {
            out += '\\';
            ++i;
        } else if (next == 'n') {
            out += '\n';
            ++i;
        } else if (next == 'r') {
            out += '\r';
            ++i;
        } else if (next == 'x' && i + 3 < text.size() && Orv::HexDigitValue(text[i + 2]) >= 0 &&
                   Orv::HexDigitValue(text[i + 3]) >= 0) {
            out += static_cast<char>(Orv::HexDigitValue(text[i + 2]) * 16 + Orv::HexDigitValue(text[i + 3]));
            i += 3;
        } else {
            out += '\\';  // an unknown escape stays as written
        }
    }
    return out;
}

// The first "=" that is not part of an escape.
std::size_t FindSeparator(const std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\') {
            ++i;
            continue;
        }
        if (line[i] == '=') return i;
    }
    return std::string::npos;
}

}  // namespace

std::string SettingsStore::NormalizeNode(const std::string& node) {
    std::string out;
    for (char c : node) {
        if (c == '\\') c = '/';
        if (c == '/' && (out.empty() || out.back() == '/')) continue;
        out += c;
    }
    while (!out.empty() && out.back() == '/') out.pop_back();
    return out;
}

std::pair<std::string, std::string> SettingsStore::SplitKey(const std::string& keyPath) {
    std::string path = keyPath;
    for (char& c : path)
        if (c == '\\') c = '/';
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {std::string(), path};
    return {NormalizeNode(path.substr(0, slash)), path.substr(slash + 1)};
}

const SettingsStore::Node* SettingsStore::Find(const std::string& node) const {
    auto it = m_nodes.find(NormalizeNode(node));
    return it == m_nodes.end() ? nullptr : &it->second;
}

bool SettingsStore::NodeExists(const std::string& node) const {
    const std::string n = NormalizeNode(node);
    if (m_nodes.count(n)) return true;
    auto it = m_nodes.lower_bound(n + "/");
    return !n.empty() && it != m_nodes.end() && it->first.compare(0, n.size() + 1, n + "/") == 0;
}

std::optional<std::string> SettingsStore::Get(const std::string& keyPath) const {
    const auto [node, name] = SplitKey(keyPath);
    const Node* n = Find(node);
    if (!n || name.empty()) return std::nullopt;
    for (const auto& [k, v] : n->values)
        if (k == name) return v;
    return std::nullopt;
}

void SettingsStore::Set(const std::string& keyPath, const std::string& value) {
    const auto [node, name] = SplitKey(keyPath);
    if (name.empty()) return;
    Node& n = m_nodes[node];
    for (auto& [k, v] : n.values) {
        if (k == name) {
            v = value;
            return;
        }
    }
    n.values.emplace_back(name, value);
}

std::size_t SettingsStore::KeyCount(const std::string& node) const {
    const Node* n = Find(node);
    return n ? n->values.size() : 0;
}

std::optional<std::string> SettingsStore::KeyNameAt(const std::string& node, std::size_t index) const {
    const Node* n = Find(node);
    if (!n || index >= n->values.size()) return std::nullopt;
    return n->values[index].first;
}

std::size_t SettingsStore::ArrayCount(const std::string& node) const {
    const Node* n = Find(node);
    return n ? n->items.size() : 0;
}

void SettingsStore::SetArrayCount(const std::string& node, std::size_t count) {
    m_nodes[NormalizeNode(node)].items.resize(count);
}

std::optional<std::string> SettingsStore::ArrayItemAt(const std::string& node, std::size_t index) const {
    const Node* n = Find(node);
    if (!n || index >= n->items.size()) return std::nullopt;
    return n->items[index];
}

bool SettingsStore::SetArrayItemAt(const std::string& node, std::size_t index, const std::string& value) {
    Node& n = m_nodes[NormalizeNode(node)];
    if (index > n.items.size()) return false;
    if (index == n.items.size())
        n.items.push_back(value);
    else
        n.items[index] = value;
    return true;
}

bool SettingsStore::RemoveArrayItemAt(const std::string& node, std::size_t index) {
    auto it = m_nodes.find(NormalizeNode(node));
    if (it == m_nodes.end() || index >= it->second.items.size()) return false;
    it->second.items.erase(it->second.items.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

std::string SettingsStore::Serialize() const {
    std::ostringstream out;
    out << "; settings, version " << Escape(m_version, "") << ", " << Escape(m_product, "") << "\n";
    for (const auto& [name, node] : m_nodes) {
        if (!name.empty()) out << "[" << Escape(name, "]") << "]\n";
        for (const auto& [k, v] : node.values) out << Escape(k, "=[;") << "=" << Escape(v, "") << "\n";
        for (const auto& item : node.items) out << "[]=" << Escape(item, "") << "\n";
    }
    return out.str();
}

void SettingsStore::Parse(const std::string& text) {
    m_nodes.clear();
    std::string node;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line.rfind("[]=", 0) == 0) {
            m_nodes[node].items.push_back(Unescape(std::string_view(line).substr(3)));
            continue;
        }
        if (line[0] == '[') {
            const std::size_t close = line.rfind(']');
            if (close == std::string::npos || close == 1) continue;  // not a section: skipped
            node = NormalizeNode(Unescape(std::string_view(line).substr(1, close - 1)));
            m_nodes[node];
            continue;
        }
        const std::size_t eq = FindSeparator(line);
        if (eq == std::string::npos || eq == 0) continue;
        const std::string key = Unescape(std::string_view(line).substr(0, eq));
        const std::string value = Unescape(std::string_view(line).substr(eq + 1));
        Node& n = m_nodes[node];
        bool replaced = false;
        for (auto& [k, v] : n.values) {
            if (k == key) {
                v = value;
                replaced = true;
            }
        }
        if (!replaced) n.values.emplace_back(key, value);
    }
}

bool SettingsStore::Load() {
    std::ifstream in(Orv::Platform::Utf8Path(m_path), std::ios::binary);
    if (!in) {
        // Only a file that does not exist yet is an empty store; one that cannot be read is not.
        std::error_code error;
        m_nodes.clear();
        (void)std::filesystem::status(m_path, error);
        return error == std::errc::no_such_file_or_directory;
    }
    std::ostringstream text;
    text << in.rdbuf();
    Parse(text.str());
    return true;
}

bool SettingsStore::Save() const {
    const std::size_t slash = m_path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        std::error_code error;
        std::filesystem::create_directories(Orv::Platform::Utf8Path(m_path.substr(0, slash)), error);
    }
    return Orv::Platform::ReplaceFileContents(m_path, Serialize());
}

}  // namespace IniPlugin
