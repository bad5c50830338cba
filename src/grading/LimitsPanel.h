#pragma once

#include "CellGrade.h"

#include <QGroupBox>
#include <QList>
#include <QStringList>

class GradingSession;
class MeterSession;
class Prompts;
class QLabel;
class QLineEdit;
class StreamReader;
struct AppState;

/// The limits of the Cell Grading window: V min, V max, R max and the warning levels inside
/// them (empty: not checked), typed; or "From meter...", the limits of one of the meter's
/// comparator sets read with "W"; or "From file...", those of a set of a comparator file.
/// Every change grades the session's cells again.
class LimitsPanel : public QGroupBox
{
    Q_OBJECT
public:
    LimitsPanel(AppState& state, MeterSession& meter, GradingSession& session, Prompts& prompts,
                QWidget* parent = nullptr);

    /// Shows the session's limits in the editors.
    void showLimits();
    /// The limits set, as the report lists them ("V min 3.6, R max (mOhm) 60").
    [[nodiscard]] QStringList limitTexts() const;

    void limitsFromMeter();
    void limitsFromFile();
    /// Ends a read of the comparator sets running now, without a message (the window closes).
    void cancelRead();

signals:
    /// A dialog or an exchange of the panel starts or ends: the window waits for it.
    void busy(bool running);

private:
    void applyTypedLimits();
    void applyLimits(const GradeLimits& limits, const QString& source);
    /// A comparator set number asked for; 0 for Cancel.
    int askSet();
    void tellFailure(const QString& text, const QString& details = {});

    AppState& m_state;
    MeterSession& m_meter;
    GradingSession& m_session;
    Prompts& m_prompts;
    QList<QLineEdit*> m_limits; // in the order of the editors' table
    QLabel* m_limitsSource = nullptr;
    StreamReader* m_reading = nullptr; // the read of the comparator sets running now
};
