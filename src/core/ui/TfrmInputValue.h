#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;

namespace core {
class Dialogs;
}

namespace core::ui {

// The typed input dialog ("用户输入"): asks for one value, restricting the keys to digits for
// INTEGER and to digits and the point for DOUBLE. value() is the trimmed text after OK and
// empty after Cancel or any other way of closing.
class TfrmInputValue final : public QDialog {
    Q_OBJECT
public:
    enum class ValueType { String, Integer, Double };

    explicit TfrmInputValue(Dialogs& dialogs, QWidget* parent = nullptr);

    void setTitle(const QString& prompt);
    void setDefaultValue(const QString& value);
    void setTypeReturn(const QString& type);
    ValueType valueType() const { return m_type; }
    QString value() const { return m_value; }

    // "INT"/"INTEGER" → Integer, "FLOAT"/"REAL"/"DOUBLE" → Double, anything else String;
    // blanks and letter case ignored.
    static ValueType typeFromText(const QString& type);
    // Whether a typed character is accepted for the type; control keys are handled apart.
    static bool acceptsCharacter(ValueType type, QChar c);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void btOKClick();
    void btCancelClick();
    void done(int result) override;

    Dialogs& m_dialogs;
    QLabel* m_prompt;
    QLabel* m_message;
    QComboBox* edtValue;
    QPushButton* btOK;
    QPushButton* btCancel;
    ValueType m_type = ValueType::String;
    QString m_value;
};

} // namespace core::ui
