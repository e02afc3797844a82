#pragma once
// The name vector handed to ZpArchive and Wiz_SingleEntryUnzip: every name copied into a buffer
// of its own (length plus one) for the duration of one call, any number of names. The buffers
// are freed last to first, then the vector.

#include <QStringList>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace korvel {

class NameVector {
public:
    explicit NameVector(const QStringList& names) {
        v_.reserve(static_cast<size_t>(names.size()) + 1);
        for (const QString& n : names) {
            const QByteArray b = n.toUtf8();
            char* p = static_cast<char*>(std::malloc(static_cast<size_t>(b.size()) + 1));
            std::memcpy(p, b.constData(), static_cast<size_t>(b.size()) + 1);
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
