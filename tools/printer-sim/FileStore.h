#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

namespace varnel::sim {

// The printer's named files, with the one file that the file commands have open.
class FileStore {
public:
    // The printer's memory for files; data beyond it is dropped.
    static constexpr std::size_t kCapacity = 16 * 1024 * 1024;
    static constexpr std::size_t kMaxNameLength = 255;

    const std::map<std::string, std::string>& Files() const { return files_; }
    void Put(const std::string& name, std::string data);

    // Creates the file empty (or empties it) and opens it for writing. False for a bad name.
    bool OpenForWriting(const std::string& name);
    // Appends to the file open for writing; false when none is open or memory is full.
    bool Append(std::string_view data);
    // Opens an existing file for reading from its start; false when there is none.
    bool OpenForReading(const std::string& name);
    // The next bytes of the file open for reading, empty once it is exhausted.
    std::string ReadNext(std::size_t count);
    void Close();
    bool Delete(const std::string& name);
    void DeleteAll();

    // One text per file, "name<TAB>size", in name order.
    std::string ListText() const;

private:
    std::size_t UsedBytes() const;

    std::map<std::string, std::string> files_;
    std::optional<std::string> writing_;
    std::optional<std::string> reading_;
    std::size_t readPosition_ = 0;
};

}  // namespace varnel::sim
