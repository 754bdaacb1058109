#include "FileStore.h"

#include <algorithm>

namespace varnel::sim {

void FileStore::Put(const std::string& name, std::string data) { files_[name] = std::move(data); }

bool FileStore::OpenForWriting(const std::string& name) {
    Close();
    if (name.empty() || name.size() > kMaxNameLength) return false;
    files_[name].clear();
    writing_ = name;
    return true;
}

bool FileStore::Append(std::string_view data) {
    if (!writing_) return false;
    const std::size_t room = kCapacity - std::min(kCapacity, UsedBytes());
    files_[*writing_].append(data.substr(0, std::min(room, data.size())));
    return data.size() <= room;
}

bool FileStore::OpenForReading(const std::string& name) {
    Close();
    if (!files_.contains(name)) return false;
    reading_ = name;
    readPosition_ = 0;
    return true;
}

std::string FileStore::ReadNext(std::size_t count) {
    if (!reading_) return {};
    const auto found = files_.find(*reading_);
    if (found == files_.end() || readPosition_ >= found->second.size()) return {};
    std::string chunk = found->second.substr(readPosition_, count);
    readPosition_ += chunk.size();
    return chunk;
}

void FileStore::Close() {
    writing_.reset();
    reading_.reset();
    readPosition_ = 0;
}

bool FileStore::Delete(const std::string& name) {
    if ((writing_ && *writing_ == name) || (reading_ && *reading_ == name)) Close();
    return files_.erase(name) > 0;
}

void FileStore::DeleteAll() {
    Close();
    files_.clear();
}

std::string FileStore::ListText() const {
    std::string list;
    for (const auto& [name, data] : files_) {
        list += name;
        list += '\t';
        list += std::to_string(data.size());
        list += '\0';
    }
    list += '\0';  // the empty text that ends the list
    return list;
}

std::size_t FileStore::UsedBytes() const {
    std::size_t used = 0;
    for (const auto& [name, data] : files_) used += data.size();
    return used;
}

}  // namespace varnel::sim
