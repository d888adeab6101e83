#pragma once

#include <QString>

class QWidget;

namespace entry::ui {

// What the editing and command components need of the entry window beyond its named boxes:
// the money rules, the template binding and the caption. TfmCheckFHDSHD implements it; the
// components find every box by object name (letter case ignored) under container().
class NoteWindow {
public:
    virtual ~NoteWindow() = default;

    // The widget holding the input boxes of the note (panelImgBg).
    virtual QWidget* container() = 0;
    // The window itself: boxes, buttons and options are looked up among its children only, so
    // that a box of the same name in another window of the program is never touched.
    virtual QWidget* noteForm() = 0;
    // The line-amount rule for line n (1 … 8): format zdJEXXn into zdJEn and refresh the total,
    // as leaving zdJEXXn does (zdJEXX1Exit). The sum so far is never refused, so lines can come
    // in any order; false when the amount itself is out of any note's range: the rule has then
    // emptied the line's amount, so no refused value stays on the note.
    virtual bool lineAmountRule(int line) = 0;
    // The total rule: take a new bill total text and refresh every total box (setJEXX).
    virtual void totalRule(const QString& total) = 0;
    // Put a saved total into the total editor inputJEXX and commit it as if typed there.
    virtual void commitTypedTotal(const QString& total) = 0;
    // Make the currency current (cfgMoneyType, setMoneyName) and re-format the money texts.
    virtual void setCurrency(const QString& name) = 0;
    // The variant shown (cbFirstTypeName).
    virtual QString variant() const = 0;
    // The template in use (CheckTypeID).
    virtual int templateId() const = 0;
    // Select the variant, force a full relayout and run the variant selection; false when the
    // list does not have it.
    virtual bool selectVariant(const QString& variant) = 0;
    // Captions of the ticked tick items joined by ","; and the reverse for a reload.
    virtual QString getItemCheckTitle() const = 0;
    virtual void setItemCheckTitle(const QString& captions) = 0;
    virtual void setWindowCaption(const QString& caption) = 0;
};

} // namespace entry::ui
