#pragma once

#include <QByteArray>
#include <QString>

class DataSet;
class QIODevice;

// A format the result can be written in, fed one record at a time: begin with the fields, one
// call per record in the data set's order (its filter honoured), end. A new format is one small
// class.
class ResultWriter {
public:
    virtual ~ResultWriter() = default;
    virtual void begin(const DataSet &data) = 0;
    // The record's stored row and its number, counted from 0.
    virtual void record(const DataSet &data, qsizetype row, int number) = 0;
    virtual void end(const DataSet &data) = 0;
};

// Feeds every record of an open data set to the writer; the data set's engine hears how far it
// got, and may call the work off (ECancelled). EDatabaseError for a closed data set.
void writeResult(const DataSet &data, ResultWriter &writer, const QString &task);

// Bytes gathered and handed to a device in large pieces.
class ByteSink {
public:
    explicit ByteSink(QIODevice &device);
    QByteArray &buffer() { return m_buffer; }
    // Hands the buffer on once it holds enough to be worth a write.
    void flushIfFull();
    // EFCreateError naming the device's file when a write fails.
    void flush();

private:
    QIODevice &m_device;
    QByteArray m_buffer;
};
