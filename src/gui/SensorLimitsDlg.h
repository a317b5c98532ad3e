#pragma once

#include "stats/LimitVerdict.h"

#include <QDialog>

class QLineEdit;

// View > Sensor Limits: a bench's four limits, each as its text, an empty field meaning
// not set. Run modally; OK takes the fields only when every one reads as a limit.
class CSensorLimitsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSensorLimitsDlg(const LimitOptions& limits, QWidget* parent = nullptr);

    // The limits as accepted; those given to the constructor until OK succeeds.
    const LimitOptions& Limits() const { return m_limits; }

    void accept() override;

private:
    QLineEdit* m_avgDeviation = nullptr;
    QLineEdit* m_swing = nullptr;
    QLineEdit* m_sensorRms = nullptr;
    QLineEdit* m_sensorSwing = nullptr;
    LimitOptions m_limits;
};
