#pragma once
// The name vector handed to ZpArchive and Wiz_SingleEntryUnzip: every name copied into a buffer
// of its own (length plus one) for the duration of one call, any number of names. The buffers
// are freed last to first, then the vector.

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace korvel {

class NameVector {
public:
    explicit NameVector(const std::vector<std::string>& names) {
        v_.reserve(names.size() + 1);
        for (const std::string& n : names) {
            char* p = static_cast<char*>(std::malloc(n.size() + 1));
            std::memcpy(p, n.c_str(), n.size() + 1);
            v_.push_back(p);
        }
        v_.push_back(nullptr);
    }
    ~NameVector() {
        for (size_t i = v_.size(); i-- > 0;)
            std::free(v_[i]);
    }
    NameVector(const NameVector&) = delete;
    NameVector& operator=(const NameVector&) = delete;

    int count() const { return static_cast<int>(v_.size() - 1); }
    // The vector, or nullptr when it holds no names.
    char** data() { return count() ? v_.data() : nullptr; }

private:
    std::vector<char*> v_;
};

} // namespace korvel
