#pragma once

#include <QString>
#include <QStringList>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstddef>

struct sqlite3;
class Connection;
class QCoreApplication;

// Sets up the application as the program does before its first window: locale (with Simplified
// Chinese for a C locale) and the collation that sorts lists; for a window application also the
// font and Qt's translations. Every benchmark calls it first, so that it measures what runs.
void SetUpAsTheProgram(QCoreApplication& app);

// The file engine's own handle of an open connection, for the raw references.
sqlite3* RawHandle(const Connection& connection);

// Runs a statement (in the engine's dialect) and reads every value of every row, keeping none:
// the least that any list must do. Returns the number of rows.
std::size_t RawFetch(sqlite3* db, const QString& sql);

// Resident memory of this process, and its peak since ResetPeakMemory().
std::size_t ResidentBytes();
// The part of the resident memory that maps files (libraries, fonts) rather than the program's own.
std::size_t ResidentFileBytes();
std::size_t PeakResidentBytes();
void ResetPeakMemory();
// Gives freed heap memory back to the system, so that resident memory shows what is held.
void ReleaseFreeMemory();

// A program run to its end with its output thrown away: its time and its peak resident memory.
struct MeasuredRun {
    double seconds = 0;
    double peakBytes = 0;
};
// Runs the program (its path first) from a small process of its own, this benchmark program
// started with --peak-of, since a child started from a large process inherits that process's
// peak. Throws std::runtime_error when the program fails.
MeasuredRun RunMeasured(const QStringList& programArguments);
// The main of a benchmark program started with --peak-of FILE PROGRAM ARGS...: runs the program
// and writes its peak resident memory in bytes to FILE. Every program that uses RunMeasured
// answers that option first.
int PeakOfMain(char** argv);

// A figure measured side by side with its reference in the same iterations: the benchmark's time
// is the figure's (manual time), the counters hold the reference's mean time and the ratio.
class SideBySide {
public:
    explicit SideBySide(benchmark::State& state) : m_state(state) {}
    template <typename Reference, typename Figure>
    void iteration(Reference&& reference, Figure&& figure) {
        const auto t0 = std::chrono::steady_clock::now();
        reference();
        const auto t1 = std::chrono::steady_clock::now();
        figure();
        const auto t2 = std::chrono::steady_clock::now();
        const double figureSeconds = std::chrono::duration<double>(t2 - t1).count();
        m_state.SetIterationTime(figureSeconds);
        m_reference += std::chrono::duration<double>(t1 - t0).count();
        m_figure += figureSeconds;
        ++m_count;
    }
    ~SideBySide() {
        if (m_count == 0)
            return;
        m_state.counters["reference_ms"] = 1000 * m_reference / m_count;
        m_state.counters["ratio"] = m_reference > 0 ? m_figure / m_reference : 0;
    }

private:
    benchmark::State& m_state;
    double m_reference = 0;
    double m_figure = 0;
    int m_count = 0;
};
