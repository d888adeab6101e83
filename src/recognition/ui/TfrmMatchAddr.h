#pragma once

#include "recognition/AddressRecogniser.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;

namespace core {
class AppContext;
}
namespace masterdata {
class TPerson;
}

namespace recognition::ui {

// The recogniser window: a pasted text, the fields read out of it in drop-down boxes that also
// offer the other candidates, and the hand-over of the corrected fields as the bill's customer.
class TfrmMatchAddr final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMatchAddr(core::AppContext& app, QWidget* parent = nullptr);
    ~TfrmMatchAddr() override;

    // Shows the window modally; showing it pastes the clipboard and recognises. Returns the record
    // handed over by "2 粘贴为收货单位(&S)", or nullptr when the window was closed without one.
    std::unique_ptr<masterdata::TPerson> run();

    void btPasteClipboordClick();
    void btMatchClick();
    void Button2Click();
    void CheckBox1Click();
    void ckContainProviceCityClick();
    void btPasteToSJRClick();
    void formatClick(SourceFormat format);

    static QString explanation(SourceFormat format);
    static QString sample(SourceFormat format);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void btAdjustStr();
    void btDoMatch();
    void edtAddressExit();
    void showResults();
    void readBoxes();
    void takeContactFromClipboard(int limitBytes, bool onlyWhenEmpty);
    void memoFromChange();
    void setMemoText(const QString& text);

    core::AppContext& m_app;
    AddressRecogniser m_recogniser;
    std::unique_ptr<masterdata::TPerson> m_result;
    QString m_memoKept;
    bool m_settingMemo = false;

    QPlainTextEdit* memoFrom = nullptr;
    QLabel* lbAnounce = nullptr;
    QCheckBox* ckContainProviceCity = nullptr;
    QComboBox* edtCompany = nullptr;
    QComboBox* edtName = nullptr;
    QComboBox* edtPhone = nullptr;
    QComboBox* edtProvince = nullptr;
    QComboBox* edtCity = nullptr;
    QComboBox* edtTown = nullptr;
    QComboBox* edtAddress = nullptr;
    QComboBox* edtZipcode = nullptr;
    QComboBox* edtHandset = nullptr;
};

} // namespace recognition::ui
