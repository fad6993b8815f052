// Self-registration, class objects and the live-object count.
//
// The registry is a JSON file of the library's own, laid out like the
// classes root of a registry: every key is an object, its default value is
// the member "", named values are strings and subkeys are objects.
#include "lumet32.h"

#include "lumetctrl.h"
#include "lumetobjects.h"
#include "lumetproppage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <atomic>
#include <cstring>
#include <dlfcn.h>

extern "C" {
const LumetGuid LIBID_LumetLib = { 0x3D2BFCF5, 0x164E, 0x4895, { 0xA3, 0xFD, 0xDC, 0x09, 0x00, 0x01, 0x19, 0x34 } };
const LumetGuid IID_DLumet = { 0x37F1B9B4, 0xE308, 0x4F64, { 0x88, 0x8D, 0x25, 0xDC, 0x4A, 0x53, 0x20, 0x1E } };
const LumetGuid IID_DLumetEvents = { 0x54C6CA22, 0xAB1B, 0x4BCF, { 0x90, 0xB1, 0xE9, 0xAA, 0x83, 0xA7, 0xF2, 0xA7 } };
const LumetGuid CLSID_Lumet = { 0xE43058FA, 0xD892, 0x4EBC, { 0x9C, 0x98, 0xAA, 0x81, 0x49, 0xD8, 0x5B, 0x23 } };
const LumetGuid CLSID_LumetPropPage
    = { 0xDA28BF2B, 0xE801, 0x4853, { 0x80, 0x58, 0x5E, 0x21, 0xCA, 0x06, 0x81, 0x74 } };
const LumetGuid IID_IUnknown = { 0x00000000, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const LumetGuid IID_IClassFactory = { 0x00000001, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
}

namespace {

std::atomic<int> g_objects { 0 };
std::atomic<int> g_locks { 0 };

// How a form designer keeps an in-place control: activate when visible,
// client site first, inside-out, no links inside, recompose on resize.
const char ControlMiscStatus[] = "131473";

struct ClassInfo
{
    const LumetGuid *clsid;
    const char *progId;
    const char *displayName;
    bool control;
};

const ClassInfo Classes[] = {
    { &CLSID_Lumet, "Korvin.Lumet", "Korvin LuMet Control", true },
    { &CLSID_LumetPropPage, "Korvin.Lumet.PropPage", "Korvin LuMet Property Page", false },
};

bool sameGuid(const LumetGuid &a, const LumetGuid &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QString libraryPath()
{
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&DllRegisterServer), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
    return QStringLiteral("liblumet32.so");
}

QJsonObject key(const QString &defaultValue)
{
    return QJsonObject { { QString(), defaultValue } };
}

// The registry as a JSON object; a missing file is an empty registry.
bool loadRegistry(QJsonObject &root)
{
    QFile file(Lumet::registryFilePath());
    if (!file.exists()) {
        root = QJsonObject();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    // A damaged file is left alone rather than overwritten with our keys only.
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    root = doc.object();
    return true;
}

bool saveRegistry(const QJsonObject &root)
{
    const QString path = Lumet::registryFilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    return file.commit();
}

void setKey(QJsonObject &root, const QString &hive, const QString &name, const QJsonObject &value)
{
    QJsonObject h = root.value(hive).toObject();
    h.insert(name, value);
    root.insert(hive, h);
}

bool removeKey(QJsonObject &root, const QString &hive, const QString &name)
{
    QJsonObject h = root.value(hive).toObject();
    const bool had = h.contains(name);
    h.remove(name);
    if (h.isEmpty())
        root.remove(hive);
    else
        root.insert(hive, h);
    return had;
}

QJsonObject typeLibraryDescription()
{
    QFile file(QStringLiteral(":/lumet32/LumetLib.json"));
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(file.readAll()).object();
}

class Factory final : public LumetClassFactory
{
public:
    explicit Factory(bool page)
        : m_page(page)
    { }

    unsigned long AddRef() override
    {
        Lumet::objectCreated(); // a held factory keeps the library in use
        return ++m_refs;
    }

    unsigned long Release() override
    {
        unsigned long n = m_refs.load();
        while (n > 0 && !m_refs.compare_exchange_weak(n, n - 1)) { }
        if (n == 0)
            return 0; // released more often than referenced: ignore
        Lumet::objectDestroyed();
        return n - 1;
    }

    LumetResult CreateInstance(QWidget *parent, QWidget **object) override
    {
        if (!object)
            return LUMET_E_POINTER;
        *object = m_page ? static_cast<QWidget *>(new CLumetPropPage(parent))
                         : static_cast<QWidget *>(new CLumetCtrl(parent));
        return LUMET_S_OK;
    }

    LumetResult LockServer(bool lock) override
    {
        if (lock) {
            ++g_locks;
            return LUMET_S_OK;
        }
        int n = g_locks.load();
        while (n > 0 && !g_locks.compare_exchange_weak(n, n - 1)) { }
        return LUMET_S_OK;
    }

private:
    bool m_page;
    std::atomic<unsigned long> m_refs { 0 };
};

Factory g_controlFactory(false);
Factory g_pageFactory(true);

} // namespace

void Lumet::objectCreated()
{
    ++g_objects;
}
void Lumet::objectDestroyed()
{
    --g_objects;
}
int Lumet::liveObjects()
{
    return g_objects.load();
}

QString Lumet::registryFilePath()
{
    const QString overridden = qEnvironmentVariable("LUMET32_REGISTRY");
    if (!overridden.isEmpty())
        return overridden;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/lumet32/registry.json");
}

QString Lumet::guidToString(const LumetGuid &g)
{
    return QString::asprintf("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
        g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
}

extern "C" LUMET32_EXPORT LumetResult DllRegisterServer(void)
{
    const QString path = libraryPath();
    const QString libid = Lumet::guidToString(LIBID_LumetLib);
    QJsonObject root;
    const QJsonObject description = typeLibraryDescription();
    if (description.value(QStringLiteral("library")).toString() != QLatin1String("LumetLib") || !loadRegistry(root))
        return LUMET_SELFREG_E_TYPELIB;

    QJsonObject version = key(QStringLiteral("LumetLib"));
    version.insert(QStringLiteral("0"), QJsonObject { { QStringLiteral("linux"), path } });
    version.insert(QStringLiteral("FLAGS"), key(QStringLiteral("0")));
    version.insert(QStringLiteral("HELPDIR"), key(QFileInfo(path).absolutePath()));
    version.insert(QStringLiteral("Description"), description);
    setKey(root, QStringLiteral("TypeLib"), libid, QJsonObject { { QStringLiteral("1.0"), version } });
    for (const QJsonValue &itf : description.value(QStringLiteral("dispinterfaces")).toArray()) {
        QJsonObject entry = key(itf[QStringLiteral("name")].toString());
        QJsonObject typeLib = key(libid);
        typeLib.insert(QStringLiteral("Version"), QStringLiteral("1.0"));
        entry.insert(QStringLiteral("TypeLib"), typeLib);
        setKey(root, QStringLiteral("Interface"), itf[QStringLiteral("uuid")].toString(), entry);
    }
    if (!saveRegistry(root))
        return LUMET_SELFREG_E_TYPELIB;

    for (const ClassInfo &c : Classes) {
        const QString clsid = Lumet::guidToString(*c.clsid);
        QJsonObject entry = key(QLatin1String(c.displayName));
        QJsonObject server = key(path);
        server.insert(QStringLiteral("ThreadingModel"), QStringLiteral("Apartment"));
        entry.insert(QStringLiteral("InprocServer32"), server);
        entry.insert(QStringLiteral("ProgID"), key(QLatin1String(c.progId)));
        if (c.control) {
            entry.insert(QStringLiteral("Control"), key(QString()));
            QJsonObject misc = key(QStringLiteral("0"));
            misc.insert(QStringLiteral("1"), key(QLatin1String(ControlMiscStatus)));
            entry.insert(QStringLiteral("MiscStatus"), misc);
            entry.insert(QStringLiteral("TypeLib"), key(libid));
            entry.insert(QStringLiteral("Version"), key(QStringLiteral("1.0")));
            // The toolbox picture is a resource inside the library.
            entry.insert(QStringLiteral("ToolboxBitmap32"), key(path + QStringLiteral(",:/lumet32/toolbox.xpm")));
        }
        setKey(root, QStringLiteral("CLSID"), clsid, entry);
        QJsonObject progId = key(QLatin1String(c.displayName));
        progId.insert(QStringLiteral("CLSID"), key(clsid));
        root.insert(QLatin1String(c.progId), progId);
    }
    if (!saveRegistry(root))
        return LUMET_SELFREG_E_CLASS;
    return LUMET_S_OK;
}

extern "C" LUMET32_EXPORT LumetResult DllUnregisterServer(void)
{
    QJsonObject root;
    if (!loadRegistry(root))
        return LUMET_SELFREG_E_TYPELIB;
    // As with a system registry, a type library that is not registered cannot be unregistered.
    if (!removeKey(root, QStringLiteral("TypeLib"), Lumet::guidToString(LIBID_LumetLib)))
        return LUMET_SELFREG_E_TYPELIB;
    removeKey(root, QStringLiteral("Interface"), Lumet::guidToString(IID_DLumet));
    removeKey(root, QStringLiteral("Interface"), Lumet::guidToString(IID_DLumetEvents));
    if (!saveRegistry(root))
        return LUMET_SELFREG_E_TYPELIB;

    for (const ClassInfo &c : Classes) {
        removeKey(root, QStringLiteral("CLSID"), Lumet::guidToString(*c.clsid));
        root.remove(QLatin1String(c.progId));
    }
    if (!saveRegistry(root))
        return LUMET_SELFREG_E_CLASS;
    return LUMET_S_OK;
}

extern "C" LUMET32_EXPORT LumetResult DllGetClassObject(const LumetGuid *rclsid, const LumetGuid *riid, void **ppv)
{
    if (!ppv)
        return LUMET_E_POINTER;
    *ppv = nullptr;
    if (!rclsid || !riid)
        return LUMET_E_POINTER;
    Factory *factory = nullptr;
    if (sameGuid(*rclsid, CLSID_Lumet))
        factory = &g_controlFactory;
    else if (sameGuid(*rclsid, CLSID_LumetPropPage))
        factory = &g_pageFactory;
    else
        return LUMET_CLASS_E_CLASSNOTAVAILABLE;
    if (!sameGuid(*riid, IID_IClassFactory) && !sameGuid(*riid, IID_IUnknown))
        return LUMET_E_NOINTERFACE;
    factory->AddRef();
    *ppv = static_cast<LumetClassFactory *>(factory);
    return LUMET_S_OK;
}

extern "C" LUMET32_EXPORT LumetResult DllCanUnloadNow(void)
{
    return (g_objects.load() == 0 && g_locks.load() == 0) ? LUMET_S_OK : LUMET_S_FALSE;
}
