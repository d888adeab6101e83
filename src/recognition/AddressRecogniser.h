#pragma once

#include "recognition/RecognitionData.h"
#include "recognition/RegionTable.h"

#include <QString>
#include <QStringList>

namespace recognition {

// One result: the candidates found and the value chosen (what the window's drop-down boxes show).
struct ResultBox {
    QStringList items;
    QString text;

    void clear() {
        items.clear();
        text.clear();
    }
    // Candidates replaced by the list and the first chosen; an empty list changes nothing.
    void receive(const QStringList& list);
    // The list appended to the candidates; the chosen value stays.
    void collect(const QStringList& list) { items += list; }
};

enum class SourceFormat { Taobao, EachNet, PaiPai, Other };

// Names, telephones, region, street address, postcode and company out of a pasted text, without
// any window: normalise() prepares the text the way the input box is prepared, recognise() runs
// the steps in their fixed order over it and leaves the results in the boxes. The boxes keep
// their values between runs, because step 5 reads the contact of the run before.
class AddressRecogniser {
public:
    explicit AddressRecogniser(RecognitionData data = {}) : m_data(std::move(data)) {}

    static constexpr int kMinPasteBytes = 20;
    static constexpr int kMaxPasteBytes = 2048;
    static constexpr int kMaxSourceBytes = 1024;

    // The message that takes the place of a clipboard text too short or too long to be an
    // address, or empty when the text is accepted.
    static QString pasteRefusal(const QString& clipboard);
    // A clipboard text as the contact box takes it: line breaks removed, trimmed; empty when it
    // is longer than limitBytes.
    static QString contactFromClipboard(const QString& clipboard, int limitBytes);
    // The stored option "含省市" is on as "1", "yes" or "checked".
    static bool optionOn(const QString& value);

    // The input box text after normalisation; a text of blanks only comes back unchanged.
    QString normalise(const QString& text) const;
    void recognise(const QString& source);
    // Puts province, city and town in front of the address or takes them out of it.
    void applyAddressRule();

    ResultBox company, name, phone, province, city, town, address, zipcode, handset;
    SourceFormat format = SourceFormat::Other;
    bool containProvinceCity = true;
    // The corrections made after the steps; off only to measure the steps as first written.
    bool mend = true;

private:
    void findMobile();
    void findTelephone();
    bool findRegionInOnePiece();
    void findRegionInParts();
    void splitProvinceCityArea(QString piece);
    void findAddress();
    void findPostcode();
    void findContact();
    void findCompany();
    void addressFallbacks();
    void townAndAddress();
    void dropAddressCandidates();
    void settleTelephone();
    void shortenProvince();
    void cleanAddress();
    void dropContactsInAddress();
    void checkCity();
    void mendContact();
    void mendResults();
    // The text without the postcode and the numbers found, nor a label they leave at its end.
    QString withoutNumbers(QString text) const;
    // Numbers as the steps read them: mobiles written in groups or with +86 joined, a blank after
    // an area code and an extension word made "-", order and tracking numbers blanked out.
    static QString prepareNumbers(QString text);
    // A waybill or order page names the sender too: only the recipient's part of the text, told
    // by its labels (收件人, 收:) or, with the sender's alone labelled, by what the sender's lacks.
    static QString recipientBlock(const QString& text);
    // A name typed with a blank inside (孙 倩) as one word.
    static QString joinSplitNames(QString text);
    // The region as the national division table knows it, with the street behind it.
    void regionFromTable();
    QString streetFrom(int at) const;
    // The contact named by a label, by 收 after it, standing beside the mobile or first in the
    // text; never a piece of the region written from regionStart to streetStart.
    QString contactInText(int regionStart, int streetStart) const;
    // The company named by a label or standing alone on its line or in its field.
    QString companyInText() const;
    // Nothing recognisable: no region, no number.
    bool namesNothing() const;

    RecognitionData m_data;
    QString m_source;
    QString m_work;
    QString m_regionPiece;
};

} // namespace recognition
