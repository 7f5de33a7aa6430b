#pragma once
#include <cstddef>
#include <mutex>
#include <utility>

namespace tessellon {

// One large work buffer (a string or a vector) kept between uses. Memory handed back to the
// system comes back as fresh pages, and on the virtual machines we measure on each page is a
// fault that costs more than the work done in it; work done again and again (levels checked
// one after another) therefore keeps its buffers, up to a size, so that one huge level does not
// hold on to its memory for good.
template <class Buffer>
class SpareBuffer {
public:
    explicit SpareBuffer(std::size_t maxBytes) : maxBytes_(maxBytes) {}

    // The kept buffer, or an empty one. Its contents are whatever the last user left in it.
    Buffer Take() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(kept_, Buffer{});
    }
    // Keeps `buffer` for the next Take, unless it is too large or smaller than the one kept.
    void Give(Buffer&& buffer) {
        if (buffer.capacity() > maxBytes_ / sizeof(typename Buffer::value_type)) return;
        const std::lock_guard<std::mutex> lock(mutex_);
        if (buffer.capacity() > kept_.capacity()) kept_ = std::move(buffer);
    }

private:
    std::mutex mutex_;
    Buffer kept_;
    const std::size_t maxBytes_;
};

}  // namespace tessellon
