#include "TestHome.h"
#include "TestRegistry.h"
#include "recognition/AddressRecogniser.h"

#include <QTest>

using recognition::AddressRecogniser;
using recognition::RecognitionData;

// Shapes of pasted text around the address: waybills naming sender and recipient, names as people
// write them in chat, and telephone numbers as they are typed.
class TestPastedShapes : public QObject {
    Q_OBJECT

    RecognitionData m_data;

    AddressRecogniser run(const QString& text) const {
        AddressRecogniser r(m_data);
        r.containProvinceCity = false;
        r.recognise(r.normalise(text));
        return r;
    }

private slots:
    void initTestCase() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        m_data = RecognitionData::load(home.db());
    }

    // Whichever block comes first, the boxes take the recipient's (李四, 广州) and nothing of the
    // sender's (张三, 杭州).
    void onlyTheRecipientsBlock_data() {
        QTest::addColumn<QString>("text");
        const QString sender = QStringLiteral("张三 13812345678 浙江省杭州市西湖区文三路90号");
        const QString recipient = QStringLiteral("李四 13998765432 广东省广州市天河区体育西路103号");
        QTest::newRow("寄件人 then 收件人")
            << QStringLiteral("寄件人：%1\n收件人：%2").arg(sender, recipient);
        QTest::newRow("收件人 then 寄件人")
            << QStringLiteral("收件人：%1\n寄件人：%2").arg(recipient, sender);
        QTest::newRow("one line, 发件人 and 收件人")
            << QStringLiteral("发件人:%1 收件人:%2").arg(sender, recipient);
        QTest::newRow("寄: 收: full-width") << QStringLiteral("寄：%1；收：%2").arg(sender, recipient);
        QTest::newRow("收件: 寄件: on one line")
            << QStringLiteral("收件：%1 寄件：%2").arg(recipient, sender);
        QTest::newRow("To: From:") << QStringLiteral("To: %1\nFrom: %2").arg(recipient, sender);
        QTest::newRow("order page, 卖家 and 发货地址")
            << QStringLiteral("收货人: 李四 手机: 13998765432 详细地址: 广东省广州市天河区体育西路103号 "
                              "卖家: 文三小店 发货地址: 浙江省杭州市西湖区文三路90号 0571-88231234");
        QTest::newRow("labelled fields")
            << QStringLiteral("寄件人：张三\n电话：13812345678\n地址：浙江省杭州市西湖区文三路90号\n"
                              "收件人：李四\n电话：13998765432\n地址：广东省广州市天河区体育西路103号");
        QTest::newRow("信息 headers")
            << QStringLiteral("收件人信息\n%1\n寄件人信息\n%2").arg(recipient, sender);
        QTest::newRow("waybill boxes") << QStringLiteral("寄\n%1\n收\n%2").arg(sender, recipient);
        QTest::newRow("only the sender labelled, after")
            << QStringLiteral("%1\n寄件人：%2").arg(recipient, sender);
        QTest::newRow("only the sender labelled, before")
            << QStringLiteral("寄件人：%1\n%2").arg(sender, recipient);
        QTest::newRow("shop's 发货人 line")
            << QStringLiteral("发货人：杭州文三店 0571-88231234\n收货人：李四\n手机：13998765432\n"
                              "收货地址：广东省广州市天河区体育西路103号");
        QTest::newRow("two blocks alike, recipient first")
            << QStringLiteral("姓名：李四\n手机：13998765432\n地址：广东省广州市天河区体育西路103号\n"
                              "姓名：张三\n手机：13812345678\n地址：浙江省杭州市西湖区文三路90号");
    }
    void onlyTheRecipientsBlock() {
        QFETCH(QString, text);
        const AddressRecogniser r = run(text);
        QCOMPARE(r.name.text, QStringLiteral("李四"));
        QCOMPARE(r.handset.text, QStringLiteral("13998765432"));
        QCOMPARE(r.city.text, QStringLiteral("广州市"));
        QCOMPARE(r.address.text, QStringLiteral("体育西路103号"));
        QVERIFY(r.phone.text.isEmpty());
    }

    void contactAsWritten_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("contact");
        const QString rest = QStringLiteral(" 13812345678 浙江省杭州市西湖区文三路90号");
        QTest::newRow("司马") << QStringLiteral("司马云飞") + rest << QStringLiteral("司马云飞");
        QTest::newRow("令狐, commas")
            << QStringLiteral("令狐冲,13812345678,浙江省杭州市西湖区文三路90号") << QStringLiteral("令狐冲");
        QTest::newRow("慕容 on its line")
            << QStringLiteral("慕容复\n13812345678\n浙江省杭州市西湖区文三路90号")
            << QStringLiteral("慕容复");
        QTest::newRow("老师 after a full name")
            << QStringLiteral("李文静老师") + rest << QStringLiteral("李文静");
        QTest::newRow("女士 after a compound name")
            << QStringLiteral("诸葛明月女士，13812345678，浙江省杭州市西湖区文三路90号")
            << QStringLiteral("诸葛明月");
        QTest::newRow("labelled with a title")
            << QStringLiteral("收件人：上官婉儿女士\n手机：13812345678\n地址：浙江省杭州市西湖区文三路90号")
            << QStringLiteral("上官婉儿");
        QTest::newRow("surname and title") << QStringLiteral("王经理") + rest << QStringLiteral("王经理");
        QTest::newRow("blank in two") << QStringLiteral("孙 倩") + rest << QStringLiteral("孙倩");
        QTest::newRow("blank in three") << QStringLiteral("张 小明") + rest << QStringLiteral("张小明");
        QTest::newRow("blank after 欧阳") << QStringLiteral("欧阳 娜娜") + rest << QStringLiteral("欧阳娜娜");
        QTest::newRow("写我爱人") << QStringLiteral(
                                         "收件人写我爱人李秀，浙江省杭州市西湖区文三路90号 13812345678")
                                  << QStringLiteral("李秀");
        QTest::newRow("名字写我老公")
            << QStringLiteral("名字写我老公王刚 浙江省杭州市西湖区文三路90号 13812345678")
            << QStringLiteral("王刚");
        QTest::newRow("greeting and time before the name")
            << QStringLiteral("亲，工作日下午送 李娜") + rest << QStringLiteral("李娜");
        QTest::newRow("English greeting") << QStringLiteral("Hello 李娜") + rest << QStringLiteral("李娜");
        QTest::newRow("您好 and 周末送, no name")
            << QStringLiteral("您好 浙江省杭州市西湖区文三路90号 13812345678 周末送") << QString();
        QTest::newRow("下午送") << QStringLiteral("浙江省杭州市西湖区文三路90号 13812345678 下午送")
                                << QString();
        QTest::newRow("还是寄到") << QStringLiteral("还是寄到 浙江省杭州市西湖区文三路90号 13812345678")
                                  << QString();
        QTest::newRow("English word") << QStringLiteral("Tom") + rest << QString();
        QTest::newRow("emoji") << QStringLiteral("😀😀") + rest << QString();
        QTest::newRow("English and emoji behind")
            << QStringLiteral("李娜") + rest + QStringLiteral(" thanks😀") << QStringLiteral("李娜");
    }
    void contactAsWritten() {
        QFETCH(QString, text);
        QFETCH(QString, contact);
        const AddressRecogniser r = run(text);
        QCOMPARE(r.name.text, contact);
        QCOMPARE(r.address.text, QStringLiteral("文三路90号"));
        QVERIFY(r.company.text.isEmpty());
    }

    // A street named after a province or city stays the street behind the real region.
    void streetsNamedAfterRegions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("region");
        QTest::addColumn<QString>("street");
        QTest::newRow("湖南路 in Nanjing")
            << QStringLiteral("张伟 13812345678 江苏省南京市鼓楼区湖南路5号")
            << QStringLiteral("江苏省/南京市/鼓楼区") << QStringLiteral("湖南路5号");
        QTest::newRow("北京路 without province")
            << QStringLiteral("李四 13998765432 广州市越秀区北京路8号")
            << QStringLiteral("广东省/广州市/越秀区") << QStringLiteral("北京路8号");
        QTest::newRow("上海路 in Beijing")
            << QStringLiteral("李四 13998765432 北京市朝阳区上海路1号")
            << QStringLiteral("北京/北京市/朝阳区") << QStringLiteral("上海路1号");
    }
    void streetsNamedAfterRegions() {
        QFETCH(QString, text);
        QFETCH(QString, region);
        QFETCH(QString, street);
        const AddressRecogniser r = run(text);
        QCOMPARE(QStringList({r.province.text, r.city.text, r.town.text}).join(QLatin1Char('/')), region);
        QCOMPARE(r.address.text, street);
    }

    // Extensions keep their digits behind a "-"; a masked mobile is dropped from the text, being a
    // number nobody can dial, so it is neither the mobile nor a piece of the street.
    void numbersAsTyped_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("mobile");
        QTest::newRow("blank in the local part")
            << QStringLiteral("张伟 电话0755-8888 1234 ") << QStringLiteral("0755-88881234") << QString();
        QTest::newRow("blank after the area, dash inside")
            << QStringLiteral("张伟 电话021 6234-5678 ") << QStringLiteral("021-62345678") << QString();
        QTest::newRow("no area code")
            << QStringLiteral("张伟 电话：8888 1234 ") << QStringLiteral("88881234") << QString();
        QTest::newRow("brackets and blanks")
            << QStringLiteral("张伟 (020) 8765 4321 ") << QStringLiteral("(020)87654321") << QString();
        QTest::newRow("转") << QStringLiteral("张伟 电话0755-88881234转8023 ")
                            << QStringLiteral("0755-88881234转8023") << QString();
        QTest::newRow("分机 with a blank") << QStringLiteral("张伟 电话0755-88881234 分机 8021 ")
                                           << QStringLiteral("0755-88881234分机8021") << QString();
        QTest::newRow("grouped local part and 分机:") << QStringLiteral("张伟 020-8765-4321 分机：802 ")
                                                      << QStringLiteral("020-87654321分机802") << QString();
        QTest::newRow("masked mobile") << QStringLiteral("张伟 139****6721 ") << QString() << QString();
        QTest::newRow("masked mobile beside a landline")
            << QStringLiteral("张伟 手机：139****6721 电话：020-87654321转8023 ")
            << QStringLiteral("020-87654321转8023") << QString();
        QTest::newRow("masked mobile behind the street")
            << QStringLiteral("张伟 %1 139****6721") << QString() << QString();
        QTest::newRow("masked mobile beside a mobile")
            << QStringLiteral("张伟 138****1234 13998765432 ") << QString() << QStringLiteral("13998765432");
    }
    void numbersAsTyped() {
        QFETCH(QString, text);
        QFETCH(QString, phone);
        QFETCH(QString, mobile);
        const QString street = QStringLiteral("广东省深圳市南山区科苑路15号");
        const AddressRecogniser r =
            run(text.contains(QStringLiteral("%1")) ? text.arg(street) : text + street);
        QCOMPARE(r.phone.text, phone);
        QCOMPARE(r.handset.text, mobile);
        QCOMPARE(r.name.text, QStringLiteral("张伟"));
        QCOMPARE(r.address.text, QStringLiteral("科苑路15号"));
    }
};

OVERPRINT_TEST(TestPastedShapes)
#include "TestPastedShapes.moc"
