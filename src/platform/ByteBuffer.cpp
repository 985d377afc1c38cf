#include "ByteBuffer.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace {
constexpr qsizetype kHugePage = qsizetype(2) << 20;
}

ByteBuffer::~ByteBuffer()
{
    std::free(m_data);
}

ByteBuffer::ByteBuffer(ByteBuffer &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0))
{
}

ByteBuffer &ByteBuffer::operator=(ByteBuffer &&other) noexcept
{
    std::swap(m_data, other.m_data);
    std::swap(m_size, other.m_size);
    std::swap(m_capacity, other.m_capacity);
    return *this;
}

void ByteBuffer::reserve(qsizetype capacity)
{
    if (capacity <= m_capacity)
        return;
    const qsizetype rounded = (capacity + kHugePage - 1) / kHugePage * kHugePage;
    char *data = static_cast<char *>(std::aligned_alloc(kHugePage, static_cast<size_t>(rounded)));
    if (!data)
        throw std::bad_alloc();
    ::madvise(data, static_cast<size_t>(rounded), MADV_HUGEPAGE);
    if (m_size > 0)
        std::memcpy(data, m_data, static_cast<size_t>(m_size));
    std::free(m_data);
    m_data = data;
    m_capacity = rounded;
}

char *ByteBuffer::grow(qsizetype count)
{
    if (m_size + count > m_capacity)
        reserve(std::max(m_capacity * 2, m_size + count));
    char *at = m_data + m_size;
    m_size += count;
    return at;
}

void ByteBuffer::append(const char *bytes, qsizetype count)
{
    if (count > 0)
        std::memcpy(grow(count), bytes, static_cast<size_t>(count));
}

void ByteBuffer::resize(qsizetype size)
{
    if (size > m_size)
        grow(size - m_size);
    else
        m_size = size;
}
