#include "data/FetchLane.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/PreparedStatement.h"

FetchLane::FetchLane(QString address, QString password, bool singlePass)
    : m_address(std::move(address)), m_password(std::move(password)), m_singlePass(singlePass),
      m_thread([this] { run(); }) {}

FetchLane::~FetchLane() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (const auto& job : m_queue)
            job->cancelled = true;
        if (m_running)
            m_running->cancelled = true;
    }
    m_wake.notify_all();
    m_thread.join();
    for (const auto& job : m_queue)
        settle(*job);
}

// A fetch that ended without its rows says so, so that nothing waits for it for ever.
void FetchLane::settle(BackgroundFetch& job) {
    {
        std::lock_guard lock(job.mutex);
        if (!job.done) {
            job.error = std::make_exception_ptr(DataError(QStringLiteral("读取已取消。")));
            job.headReady = true;
            job.done = true;
        }
    }
    job.ready.notify_all();
}

std::shared_ptr<BackgroundFetch> FetchLane::enqueue(const QString& statement,
                                                    std::uint32_t firstRows) {
    auto job = std::make_shared<BackgroundFetch>();
    job->statement = statement;
    job->firstRows = firstRows;
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(job);
    }
    m_wake.notify_all();
    return job;
}

void FetchLane::run() {
    std::unique_ptr<Connection> connection;
    for (;;) {
        std::shared_ptr<BackgroundFetch> job;
        bool idle;
        {
            std::lock_guard lock(m_mutex);
            idle = m_queue.empty() && !m_stopping;
        }
        if (idle)
            connection.reset(); // nothing left: its cache is given back (not under the lock,
                                // so that enqueue() never waits for the file to be closed)
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            job = m_queue.front();
            m_queue.pop_front();
            m_running = job;
        }
        try {
            if (job->cancelled)
                throw DataError(QStringLiteral("读取已取消。"));
            if (!connection) {
                connection = std::make_unique<Connection>();
                connection->Open(m_address, m_password);
                if (m_singlePass)
                    connection->UseSinglePassCache();
            }
            fetch(*connection, *job);
        } catch (...) {
            std::lock_guard lock(job->mutex);
            job->error = std::current_exception();
            job->headReady = true;
            job->done = true;
        }
        settle(*job);
        std::lock_guard lock(m_mutex);
        m_running.reset();
    }
}

// The first rows go into `head` as well as into `all`, so that both are complete in themselves
// and the query can show the first while this thread goes on with the second.
void FetchLane::fetch(Connection& connection, BackgroundFetch& job) {
    PreparedStatement statement(connection.engine(), job.statement);
    RowSet head = RowSet::forStatement(statement);
    RowSet all = RowSet::forStatement(statement);
    bool headGiven = false;
    auto giveHead = [&] {
        head.finish();
        {
            std::lock_guard lock(job.mutex);
            job.head = std::move(head);
            job.headReady = true;
        }
        job.ready.notify_all();
        headGiven = true;
    };
    while (statement.step()) {
        if (job.cancelled.load(std::memory_order_relaxed))
            return; // the query no longer waits for it; nothing is handed over
        if (!headGiven) {
            head.appendRow(statement);
            if (head.rowCount() >= job.firstRows)
                giveHead();
        }
        all.appendRow(statement);
    }
    if (!headGiven)
        giveHead();
    all.finish();
    {
        std::lock_guard lock(job.mutex);
        job.all = std::move(all);
        job.done = true;
    }
    job.ready.notify_all();
}
