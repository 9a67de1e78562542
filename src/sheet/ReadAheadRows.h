#pragma once

#include "sheet/Spreadsheet.h"

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A row source that reads another one ahead, on a thread of its own, a batch of rows at a time:
// reading the rows (from a database file, say) and writing them into a workbook then overlap.
// At most two batches are held, the one being written and the next one, so memory stays flat.
// The reading starts with the first row asked for; a failure of the source is raised there, in
// order. The source is used only by that thread from then on.
class ReadAheadRows : public SheetRowSource {
public:
    explicit ReadAheadRows(std::shared_ptr<SheetRowSource> source, int batchRows = 1024);
    ~ReadAheadRows() override; // stops the reading and waits for the thread

    int FieldCount() const override { return m_columns; }
    QString FieldName(int field) const override { return m_source->FieldName(field); }
    qint64 RecordCount() const override { return m_source->RecordCount(); }
    bool NextRow(std::vector<SheetCell>& cells) override;

private:
    struct Batch {
        std::vector<SheetCell> cells; // rows × columns; texts point into `texts`
        std::vector<std::size_t> textStarts;
        std::string texts;
        int rows = 0;
        bool last = false; // the source has no rows after these
        std::exception_ptr failure;
        bool full = false; // filled and not yet written
    };
    void read();
    void fill(Batch& batch);
    bool takeBatch();

    std::shared_ptr<SheetRowSource> m_source;
    const int m_columns;
    const int m_batchRows;
    Batch m_batches[2];
    int m_reading = 0;  // the batch the thread fills next
    int m_writing = -1; // the batch rows are taken from; -1 before the first
    int m_row = 0;      // the next row of that batch
    bool m_ended = false;
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_thread;
};
