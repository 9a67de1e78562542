#pragma once

#include "data/RowSet.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

// One statement's rows being fetched in the background. The lane's thread writes it; the query
// that asked for it takes its first rows and then all of them, each once it is complete, under
// the mutex. Neither RowSet is touched by the lane once it is handed over.
struct BackgroundFetch {
    QString statement;
    std::uint32_t firstRows = 0;
    std::atomic<bool> cancelled{false};

    std::mutex mutex;
    std::condition_variable ready;
    bool headReady = false; // `head` holds the first rows (or all of them, when fewer)
    bool done = false;      // `all` holds every row, or `error` says why not
    RowSet head;
    RowSet all;
    std::exception_ptr error;
};

// Fetches statements one after the other on a connection of its own to the program's database
// (the file or the server that Connection::Address() names), in a thread of its own, so that the
// program's connection and its thread stay free meanwhile. Lists that read the same table share
// the lane: the later finds the pages the earlier read in the lane's cache. The connection is
// opened for the first statement and closed when nothing is left to fetch.
class FetchLane {
public:
    // `singlePass`: the lane reads each page once, so it keeps the engine's small cache.
    FetchLane(QString address, QString password, bool singlePass);
    ~FetchLane(); // cancels what is queued or running and waits for the thread

    FetchLane(const FetchLane&) = delete;
    FetchLane& operator=(const FetchLane&) = delete;

    // Queues a statement (in the engine's own dialect); its first `firstRows` rows are handed
    // over on their own as soon as they are fetched.
    std::shared_ptr<BackgroundFetch> enqueue(const QString& statement, std::uint32_t firstRows);

private:
    void run();
    void fetch(class Connection& connection, BackgroundFetch& job);
    static void settle(BackgroundFetch& job);

    const QString m_address;
    const QString m_password;
    const bool m_singlePass;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<BackgroundFetch>> m_queue;
    std::shared_ptr<BackgroundFetch> m_running;
    bool m_stopping = false;
    std::thread m_thread;
};
