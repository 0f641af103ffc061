#pragma once

#include <QWidget>
#include <cstddef>

class QLabel;
class QLineEdit;
class QProgressBar;
class QTimer;

// The bar above the tabs in which a history search is typed: the query, the count of hits and,
// while older days are still being read, how many of the days have been. The query is handed on
// once typing has paused, or at once on Enter.
class CSearchBar : public QWidget {
    Q_OBJECT

  public:
    // The pause after the last key before the query is handed on.
    static constexpr int kTypingPauseMs = 250;

    explicit CSearchBar(QWidget* parent = nullptr);

    // Empties the query and the figures.
    void Reset();
    void ClearFigures();
    // found hits so far, of which shown are in the results; running while days are still read.
    void ShowCount(size_t found, size_t shown, bool running);
    void ShowProgress(size_t daysRead, size_t daysInRange);
    // What went wrong (a query that cannot be understood, logs that cannot be read, a failed
    // favourite), in the failure colour, cut to fit; the whole message as the tooltip.
    void ShowProblem(const QString& message);

    QLineEdit* txtQuery = nullptr;
    QLabel* lblCount = nullptr;
    QProgressBar* progressDays = nullptr;

  signals:
    void QueryReady(const QString& query);

  private:
    QTimer* mPause = nullptr;
};
