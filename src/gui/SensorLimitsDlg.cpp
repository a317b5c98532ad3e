#include "gui/SensorLimitsDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <typename T> QString LimitText(const std::optional<Limit<T>>& limit) {
    return limit ? QString::fromStdString(limit->text) : QString();
}

QLineEdit* AddField(QFormLayout* form, const QString& label, const QString& objectName,
                    const QString& text, const QString& hint) {
    auto* field = new QLineEdit(text);
    field->setObjectName(objectName);
    field->setPlaceholderText(QStringLiteral("not set"));
    field->setToolTip(hint);
    form->addRow(label, field);
    return field;
}

// The field's limit, or nothing for an empty field; false when its text is no limit.
template <typename T>
bool ReadField(const QLineEdit* field, std::optional<Limit<T>> (*parse)(const std::string&),
               std::optional<Limit<T>>* limit) {
    const QString text = field->text().trimmed();
    if (text.isEmpty()) {
        *limit = std::nullopt;
        return true;
    }
    *limit = parse(text.toStdString());
    return limit->has_value();
}

} // namespace

CSensorLimitsDlg::CSensorLimitsDlg(const LimitOptions& limits, QWidget* parent)
    : QDialog(parent), m_limits(limits) {
    setWindowTitle(QStringLiteral("Sensor Limits"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto* form = new QFormLayout;
    const QString real = QStringLiteral("A number from 0 up; empty for no limit");
    const QString whole = QStringLiteral("A whole number from 0 to 255; empty for no limit");
    m_avgDeviation =
        AddField(form, QStringLiteral("&Avg Deviation:"), QStringLiteral("avgDeviation"),
                 LimitText(limits.maxAvgDeviation), real);
    m_swing = AddField(form, QStringLiteral("&Max Deviation Swing:"), QStringLiteral("swing"),
                       LimitText(limits.maxSwing), whole);
    m_sensorRms = AddField(form, QStringLiteral("Sensor &RMS:"), QStringLiteral("sensorRms"),
                           LimitText(limits.maxSensorRms), real);
    m_sensorSwing = AddField(form, QStringLiteral("Sensor S&wing:"), QStringLiteral("sensorSwing"),
                             LimitText(limits.maxSensorSwing), whole);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("IDOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("IDCANCEL"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CSensorLimitsDlg::accept() {
    LimitOptions read;
    const auto refuse = [this](QLineEdit* field, const QString& name, const QString& wanted) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("%1: '%2' is not a limit; enter %3, or nothing for "
                                            "no limit.")
                                 .arg(name, field->text(), wanted));
        field->setFocus();
        field->selectAll();
    };
    const QString real = QStringLiteral("a number from 0 up");
    const QString whole = QStringLiteral("a whole number from 0 to 255");
    if (!ReadField(m_avgDeviation, &ParseRealLimit, &read.maxAvgDeviation)) {
        refuse(m_avgDeviation, QStringLiteral("Avg Deviation"), real);
    } else if (!ReadField(m_swing, &ParseWholeLimit, &read.maxSwing)) {
        refuse(m_swing, QStringLiteral("Max Deviation Swing"), whole);
    } else if (!ReadField(m_sensorRms, &ParseRealLimit, &read.maxSensorRms)) {
        refuse(m_sensorRms, QStringLiteral("Sensor RMS"), real);
    } else if (!ReadField(m_sensorSwing, &ParseWholeLimit, &read.maxSensorSwing)) {
        refuse(m_sensorSwing, QStringLiteral("Sensor Swing"), whole);
    } else {
        m_limits = read;
        QDialog::accept();
    }
}
