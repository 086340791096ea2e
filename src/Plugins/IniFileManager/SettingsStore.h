#pragma once
// The plug-in's settings store: nodes addressed by paths ("Display/Skins"), each holding named
// values in order and an array of items, kept in a human-readable text file:
//
//   ; settings, version 1_0_0, Varnet Firmware Updater
//   TopLevelKey=value
//   [Display]
//   CurrentSkinIndex=2
//   [Recent/Files]
//   []=first item
//
// Backslash escapes keep any text on one line (\\ \n \r \xHH). Lines that make no sense are
// skipped, never fatal.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace IniPlugin {

class SettingsStore {
public:
    SettingsStore(std::string path, std::string version, std::string product)
        : m_path(std::move(path)), m_version(std::move(version)), m_product(std::move(product)) {}

    // Reads the file; a missing file is an empty store. False when the file exists but cannot
    // be read.
    bool Load();
    // Replaces the file atomically (temporary file, fsync, rename), creating its folder.
    bool Save() const;

    bool NodeExists(const std::string& node) const;
    std::optional<std::string> Get(const std::string& keyPath) const;
    void Set(const std::string& keyPath, const std::string& value);
    std::size_t KeyCount(const std::string& node) const;
    std::optional<std::string> KeyNameAt(const std::string& node, std::size_t index) const;
    std::size_t ArrayCount(const std::string& node) const;
    void SetArrayCount(const std::string& node, std::size_t count);
    std::optional<std::string> ArrayItemAt(const std::string& node, std::size_t index) const;
    // index may equal the count: the item is appended.
    bool SetArrayItemAt(const std::string& node, std::size_t index, const std::string& value);
    bool RemoveArrayItemAt(const std::string& node, std::size_t index);

    std::string Serialize() const;
    void Parse(const std::string& text);

    std::mutex& Lock() const { return m_lock; }

private:
    struct Node {
        std::vector<std::pair<std::string, std::string>> values;
        std::vector<std::string> items;
    };
    static std::string NormalizeNode(const std::string& node);
    static std::pair<std::string, std::string> SplitKey(const std::string& keyPath);
    const Node* Find(const std::string& node) const;

    std::string m_path;
    std::string m_version;
    std::string m_product;
    std::map<std::string, Node> m_nodes;
    mutable std::mutex m_lock;
};

}  // namespace IniPlugin
