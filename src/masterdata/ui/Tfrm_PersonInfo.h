#pragma once

#include "masterdata/PersonStore.h"

#include <QDialog>
#include <QHash>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace core {
class AppContext;
}

namespace masterdata {
class TPerson;
}

namespace masterdata::ui {

// "单位详细资料": one unit of the address book with every field, saved through the store. The
// form is made once and kept; closing it does not empty its boxes. What the boxes hold when the
// form is shown, loaded, emptied or saved is its kept state: closing over typed changes asks
// first.
class Tfrm_PersonInfo final : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_PersonInfo(core::AppContext& app, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(Tfrm_PersonInfo)

    // "重 填 (&N)": every box empty, the ID too.
    void btResetClick();
    // Shows the stored unit; false when there is no row with that ID.
    bool loadByID(int id);
    // Writes every non-empty field of the record over the boxes.
    void overwriteWith(const TPerson& person);
    void setUnitType(const QString& type);
    void setGroup(const QString& group);
    // Shows the form modally; a save from the manager re-runs the manager's query.
    void showModalFrom(bool fromManager);

    // After every successful save, with the record as stored and whether the default issuer may
    // have changed.
    std::function<void(const TPerson& saved, bool fromManager)> onSaved;

    // The record the boxes describe.
    TPerson person() const;
    // True when a box differs from the kept state (the ID does not count).
    bool hasUnsavedChanges() const;

    void btSaveClick();
    void btSaveCloseClick();
    void btCopyClick();
    void lbInputCodeClick();

    // Every way out but a save: asks before typed changes are dropped; No keeps the form open.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    QList<QWidget*> boxes() const;
    QStringList typedContent() const;
    void markClean();
    bool save();
    void provinceEnter();
    void cityEnter();
    void countryEnter();
    void groupEnter();
    void townExit();
    void fillCities();
    void focusNext(QWidget* from);

    core::AppContext& m_app;
    PersonStore m_store;
    bool m_fromManager = false;
    // A stored type other than the two of the box (written by the recipient import) is kept
    // until the clerk chooses a type.
    QString m_storedType;
    bool m_typeChosen = false;
    bool m_provincesFilled = false;
    QString m_addressKept;
    QStringList m_clean;
    // Where Enter moves the focus from each box.
    QHash<QObject*, QWidget*> m_next;

    QLabel* edtID;
    QLineEdit* edtName;
    QLineEdit* edtInputCode;
    QComboBox* edtCountry;
    QComboBox* edtProvince;
    QComboBox* edtCity;
    QComboBox* edtTown;
    QPlainTextEdit* edtAddress;
    QLineEdit* edtZipcode;
    QLineEdit* edtContactor;
    QLineEdit* edtPhone;
    QLineEdit* edtHandset;
    QLineEdit* edtRemark;
    QComboBox* cbAcountType;
    QComboBox* edtGroup;
    QLineEdit* edtIdentity;
    QLineEdit* edtBank;
    QLineEdit* edtBankAcct;
    QLineEdit* edtBankAddr;
    QLineEdit* edtBankNo;
    QLineEdit* edtDef1;
    QLineEdit* edtDef2;
    QLineEdit* edtDef3;
    QLabel* lbInputCode;
    QCheckBox* ckAddNext;
    QPushButton* btSave;
    QPushButton* btSaveClose;
    QPushButton* btClose;
    QPushButton* btReset;
    QPushButton* btCopy;
};

} // namespace masterdata::ui
