#pragma once

#include <QtGlobal>
#include <cstddef>

// A growing byte buffer for large file images: its memory comes in 2 MB-aligned blocks that the
// kernel may back with huge pages, so that filling tens of megabytes costs few page faults.
class ByteBuffer {
public:
    ByteBuffer() = default;
    ~ByteBuffer();
    ByteBuffer(const ByteBuffer &) = delete;
    ByteBuffer &operator=(const ByteBuffer &) = delete;
    ByteBuffer(ByteBuffer &&other) noexcept;
    ByteBuffer &operator=(ByteBuffer &&other) noexcept;

    qsizetype size() const { return m_size; }
    const char *constData() const { return m_data; }
    char *data() { return m_data; }
    char operator[](qsizetype i) const { return m_data[i]; }

    void reserve(qsizetype capacity);
    // Room for count more bytes at the end, not initialised; the size grows by count.
    char *grow(qsizetype count);
    void append(const char *bytes, qsizetype count);
    void append(char byte) { *grow(1) = byte; }
    void resize(qsizetype size);

private:
    char *m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
};
