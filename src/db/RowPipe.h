#pragma once

#include "TableFile.h"

#include <functional>

// Reads a table file on a second thread while the calling thread takes its records, so that
// decoding the file overlaps with storing its rows. Errors of either side reach the caller.
void readTableFileInParallel(const TableFile &file, const std::function<void(qint64 recNo, const Row &row)> &consume);
