// Self-registration, class objects, the unload test, the type library and the render command.
#include "gaugetest.h"
#include "lumetproppage.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaProperty>
#include <QProcess>
#include <QTemporaryDir>

namespace {

class GaugeRegistry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("cfg/lumet32/registry.json"));
        saved = qgetenv("LUMET32_REGISTRY");
        qputenv("LUMET32_REGISTRY", path.toUtf8());
    }
    void TearDown() override { qputenv("LUMET32_REGISTRY", saved); }

    QJsonObject read() const
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(f.readAll()).object();
    }
    void write(const QByteArray &bytes) const
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir dir;
    QString path;
    QByteArray saved;
};

QString id(const LumetGuid &g)
{
    return Lumet::guidToString(g);
}

QJsonObject embeddedTypeLibrary()
{
    QFile f(QStringLiteral(":/lumet32/LumetLib.json"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(f.readAll()).object();
}

} // namespace

TEST_F(GaugeRegistry, registerRecordsClassesAndTypeLibraryAndUnregisterRemovesThem)
{
    EXPECT_EQ(Lumet::registryFilePath(), path);
    ASSERT_EQ(DllRegisterServer(), LUMET_S_OK);
    const QJsonObject root = read();
    const QJsonObject control = root["CLSID"][id(CLSID_Lumet)].toObject();
    EXPECT_EQ(control[""].toString(), QStringLiteral("Korvin LuMet Control"));
    EXPECT_EQ(control["ProgID"][""].toString(), QStringLiteral("Korvin.Lumet"));
    EXPECT_TRUE(QFileInfo::exists(control["InprocServer32"][""].toString()));
    EXPECT_EQ(control["TypeLib"][""].toString(), QStringLiteral("{3D2BFCF5-164E-4895-A3FD-DC0900011934}"));
    const QJsonObject page = root["CLSID"][id(CLSID_LumetPropPage)].toObject();
    EXPECT_EQ(page[""].toString(), QStringLiteral("Korvin LuMet Property Page"));
    EXPECT_EQ(root["Korvin.Lumet"]["CLSID"][""].toString(), id(CLSID_Lumet));
    EXPECT_EQ(root["Korvin.Lumet.PropPage"]["CLSID"][""].toString(), id(CLSID_LumetPropPage));
    const QJsonObject lib = root["TypeLib"][id(LIBID_LumetLib)]["1.0"]["Description"].toObject();
    EXPECT_EQ(lib["library"].toString(), QStringLiteral("LumetLib"));
    EXPECT_EQ(lib["coclasses"][0]["name"].toString(), QStringLiteral("Lumet"));
    EXPECT_EQ(root["Interface"][id(IID_DLumet)][""].toString(), QStringLiteral("_DLumet"));
    EXPECT_EQ(root["Interface"][id(IID_DLumetEvents)][""].toString(), QStringLiteral("_DLumetEvents"));

    ASSERT_EQ(DllRegisterServer(), LUMET_S_OK); // again: same entries
    EXPECT_EQ(read(), root);

    ASSERT_EQ(DllUnregisterServer(), LUMET_S_OK);
    const QJsonObject after = read();
    EXPECT_FALSE(after.contains("CLSID"));
    EXPECT_FALSE(after.contains("TypeLib"));
    EXPECT_FALSE(after.contains("Korvin.Lumet"));
    EXPECT_FALSE(after.contains("Korvin.Lumet.PropPage"));
    EXPECT_EQ(DllUnregisterServer(), LUMET_SELFREG_E_TYPELIB); // nothing left to remove
}

TEST_F(GaugeRegistry, otherEntriesOfTheFileSurvive)
{
    write(R"({"Other.Thing": {"": "kept"}, "CLSID": {"{00000000-1111-2222-3333-444444444444}": {"": "x"}}})");
    ASSERT_EQ(DllRegisterServer(), LUMET_S_OK);
    ASSERT_EQ(DllUnregisterServer(), LUMET_S_OK);
    const QJsonObject root = read();
    EXPECT_EQ(root["Other.Thing"][""].toString(), QStringLiteral("kept"));
    EXPECT_EQ(root["CLSID"].toObject().size(), 1);
}

TEST_F(GaugeRegistry, unwritableOrDamagedRegistryFailsWithTheTypeLibraryStatus)
{
    write("{ this is not json");
    EXPECT_EQ(DllRegisterServer(), LUMET_SELFREG_E_TYPELIB);
    EXPECT_EQ(DllUnregisterServer(), LUMET_SELFREG_E_TYPELIB);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("{ this is not json")); // left as it was

    // A registry folder that cannot be made: a plain file stands in its way.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("LUMET32_REGISTRY", dir.filePath(QStringLiteral("blocker/lumet32/registry.json")).toUtf8());
    EXPECT_EQ(DllRegisterServer(), LUMET_SELFREG_E_TYPELIB);
}

TEST(GaugeClassObjects, factoriesCreateTheControlAndThePage)
{
    void *raw = nullptr;
    ASSERT_EQ(DllGetClassObject(&CLSID_Lumet, &IID_IClassFactory, &raw), LUMET_S_OK);
    auto *factory = static_cast<LumetClassFactory *>(raw);
    QWidget *made = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, &made), LUMET_S_OK);
    EXPECT_NE(qobject_cast<CLumetCtrl *>(made), nullptr);
    delete made;
    factory->Release();

    ASSERT_EQ(DllGetClassObject(&CLSID_LumetPropPage, &IID_IUnknown, &raw), LUMET_S_OK);
    factory = static_cast<LumetClassFactory *>(raw);
    ASSERT_EQ(factory->CreateInstance(nullptr, &made), LUMET_S_OK);
    EXPECT_NE(qobject_cast<CLumetPropPage *>(made), nullptr);
    delete made;
    factory->Release();

    EXPECT_EQ(DllGetClassObject(&IID_DLumet, &IID_IClassFactory, &raw), LUMET_CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(DllGetClassObject(&CLSID_Lumet, &IID_DLumet, &raw), LUMET_E_NOINTERFACE);
    EXPECT_EQ(DllGetClassObject(&CLSID_Lumet, &IID_IClassFactory, nullptr), LUMET_E_POINTER);
}

TEST(GaugeClassObjects, canUnloadOnlyWithoutLiveObjectsOrLocks)
{
    ASSERT_EQ(DllCanUnloadNow(), LUMET_S_OK);
    {
        CLumetCtrl c;
        EXPECT_EQ(DllCanUnloadNow(), LUMET_S_FALSE);
    }
    EXPECT_EQ(DllCanUnloadNow(), LUMET_S_OK);
    {
        CLumetPropPage p;
        EXPECT_EQ(DllCanUnloadNow(), LUMET_S_FALSE);
    }
    void *raw = nullptr;
    ASSERT_EQ(DllGetClassObject(&CLSID_Lumet, &IID_IClassFactory, &raw), LUMET_S_OK);
    auto *factory = static_cast<LumetClassFactory *>(raw);
    EXPECT_EQ(DllCanUnloadNow(), LUMET_S_FALSE); // a held factory
    factory->LockServer(true);
    factory->Release();
    EXPECT_EQ(DllCanUnloadNow(), LUMET_S_FALSE); // a lock
    factory->LockServer(false);
    EXPECT_EQ(DllCanUnloadNow(), LUMET_S_OK);
    factory->LockServer(false); // unbalanced unlocks do not go below zero
    factory->Release();
    EXPECT_EQ(DllCanUnloadNow(), LUMET_S_OK);
}

TEST(GaugeTypeLibrary, describesTheDispatchIdsTheControlAnswers)
{
    const QJsonObject lib = embeddedTypeLibrary();
    EXPECT_EQ(lib["uuid"].toString(), id(LIBID_LumetLib));
    const QJsonArray enumValues = lib["enums"][0]["values"].toArray();
    const QMetaEnum bevels = QMetaEnum::fromType<CLumetCtrl::BevelConstants>();
    ASSERT_EQ(enumValues.size(), bevels.keyCount());
    for (const QJsonValue &v : enumValues)
        EXPECT_EQ(bevels.keyToValue(v[0].toString().toLatin1()), v[1].toInt());

    const QJsonObject dlumet = lib["dispinterfaces"][0].toObject();
    EXPECT_EQ(dlumet["uuid"].toString(), id(IID_DLumet));
    CLumetCtrl c;
    QStringList described;
    for (const QJsonValue &p : dlumet["properties"].toArray()) {
        const QString name = p["alias"].toString(p["name"].toString());
        described << name;
        if (p["id"].toInt() != 0) { // id 0 is Percent's alias
            EXPECT_EQ(CLumetCtrl::DispIdOfName(name), p["id"].toInt()) << name.toStdString();
        }
        LumetResult status = -1;
        c.GetProperty(p["id"].toInt(), &status);
        EXPECT_EQ(status, LUMET_S_OK) << name.toStdString();
    }
    // Every property the widget publishes is in the interface, but for the
    // QColor views of the four OLE colours.
    const QMetaObject *mo = &CLumetCtrl::staticMetaObject;
    for (int i = QWidget::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i)
        if (mo->property(i).metaType() != QMetaType::fromType<QColor>()) {
            EXPECT_TRUE(described.contains(QLatin1String(mo->property(i).name()))) << mo->property(i).name();
        }
    EXPECT_EQ(dlumet["methods"][0]["id"].toInt(), CLumetCtrl::DispAboutBox);

    const QJsonArray events = lib["dispinterfaces"][1]["methods"].toArray();
    QStringList names;
    for (const QJsonValue &e : events) {
        const QString name = e["name"].toString();
        names << name;
        const QString args = e["params"].toArray().isEmpty() ? "()" : "(short,short,int,int)";
        EXPECT_GE(CLumetCtrl::staticMetaObject.indexOfSignal((name + args).toLatin1()), 0) << name.toStdString();
    }
    EXPECT_EQ(names, (QStringList { "Click", "DblClick", "MouseDown", "MouseMove", "MouseUp" }));
}

TEST(GaugeRenderCommand, writesThePixelsTheControlPaints)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("g.png"));
    QProcess p;
    p.start(QStringLiteral(LUMET32_RENDER),
        { out, "160", "28", "Percent=45", "BevelBar=4", "TextForeColor=0x000000FF", "BackColor=12632256",
            "Caption=Loading cards" });
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QImage image(out);
    ASSERT_EQ(image.size(), QSize(160, 28));

    CLumetCtrl c;
    c.resize(160, 28);
    c.setPercent(45);
    c.setBevelBar(4);
    c.setTextForeColor(0xFF);
    c.setCaption(QStringLiteral("Loading cards"));
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), c.renderImage());

    p.start(QStringLiteral(LUMET32_RENDER), { out, "160", "28", "Percent=10", "BevelOuter=5" });
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("Invalid property value"));
}
