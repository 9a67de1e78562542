#include "sheet/ReadAheadRows.h"

ReadAheadRows::ReadAheadRows(std::shared_ptr<SheetRowSource> source, int batchRows)
    : m_source(std::move(source)), m_columns(m_source->FieldCount()), m_batchRows(batchRows) {}

ReadAheadRows::~ReadAheadRows() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

// Copies the source's rows into the batch: its texts are valid only until its next row.
void ReadAheadRows::fill(Batch& batch) {
    const auto columns = static_cast<std::size_t>(m_columns);
    batch.cells.resize(static_cast<std::size_t>(m_batchRows) * columns);
    batch.textStarts.resize(batch.cells.size());
    batch.texts.clear();
    batch.rows = 0;
    batch.last = false;
    batch.failure = nullptr;
    std::vector<SheetCell> row(columns);
    while (batch.rows < m_batchRows) {
        try {
            if (!m_source->NextRow(row)) {
                batch.last = true;
                break;
            }
        } catch (...) {
            // The rows before the failure are still written; the failure follows them.
            batch.failure = std::current_exception();
            batch.last = true;
            break;
        }
        const std::size_t first = static_cast<std::size_t>(batch.rows) * columns;
        for (std::size_t column = 0; column < columns; ++column) {
            batch.cells[first + column] = row[column];
            if (row[column].kind != SheetCell::Kind::Text)
                continue;
            batch.textStarts[first + column] = batch.texts.size();
            batch.texts.append(row[column].text);
            batch.texts += '\0';
        }
        ++batch.rows;
    }
    // The texts no longer move: point the cells at them.
    for (std::size_t cell = 0; cell < static_cast<std::size_t>(batch.rows) * columns; ++cell)
        if (batch.cells[cell].kind == SheetCell::Kind::Text)
            batch.cells[cell].text = std::string_view(batch.texts.data() + batch.textStarts[cell],
                                                      batch.cells[cell].text.size());
}

void ReadAheadRows::read() {
    for (;;) {
        Batch& batch = m_batches[m_reading];
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || !batch.full; });
            if (m_stop)
                return;
        }
        fill(batch);
        {
            const std::lock_guard lock(m_mutex);
            batch.full = true;
        }
        m_changed.notify_all();
        if (batch.last)
            return;
        m_reading ^= 1;
    }
}

// Hands the written batch back to the thread and waits for the next one.
bool ReadAheadRows::takeBatch() {
    if (m_writing < 0) {
        m_thread = std::thread([this] { read(); });
        m_writing = 0;
    } else {
        if (m_batches[m_writing].last) {
            if (m_batches[m_writing].failure)
                std::rethrow_exception(m_batches[m_writing].failure);
            m_ended = true;
            return false;
        }
        {
            const std::lock_guard lock(m_mutex);
            m_batches[m_writing].full = false;
        }
        m_changed.notify_all();
        m_writing ^= 1;
    }
    Batch& batch = m_batches[m_writing];
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return batch.full; });
    m_row = 0;
    return true;
}

bool ReadAheadRows::NextRow(std::vector<SheetCell>& cells) {
    while (!m_ended && (m_writing < 0 || m_row == m_batches[m_writing].rows))
        if (!takeBatch())
            return false;
    if (m_ended)
        return false;
    const auto columns = static_cast<std::size_t>(m_columns);
    const SheetCell* row = m_batches[m_writing].cells.data() + m_row * columns;
    std::copy(row, row + columns, cells.begin());
    ++m_row;
    return true;
}
