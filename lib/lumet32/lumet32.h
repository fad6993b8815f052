// lumet32: public entry points of the gauge library.
//
// The C part (status codes, class identifiers, the four Dll* exports) can be
// used from any language; the C++ part adds the class-factory interface that
// DllGetClassObject hands out.
#ifndef LUMET32_H
#define LUMET32_H

#include <stdint.h>

#if defined(LUMET32_BUILDING)
#define LUMET32_EXPORT __attribute__((visibility("default")))
#else
#define LUMET32_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A 32-bit status: 0 success, 1 "false", negative values are failures. */
typedef int32_t LumetResult;

/* Binary layout of a class or interface identifier (as in a GUID). */
typedef struct LumetGuid
{
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} LumetGuid;

#define LUMET_S_OK ((LumetResult)0)
#define LUMET_S_FALSE ((LumetResult)1)
#define LUMET_E_NOINTERFACE ((LumetResult)0x80004002)
#define LUMET_E_POINTER ((LumetResult)0x80004003)
#define LUMET_E_UNEXPECTED ((LumetResult)0x8000FFFF)
#define LUMET_CLASS_E_CLASSNOTAVAILABLE ((LumetResult)0x80040111)
#define LUMET_SELFREG_E_TYPELIB ((LumetResult)0x80040200)
#define LUMET_SELFREG_E_CLASS ((LumetResult)0x80040201)
#define LUMET_DISP_E_MEMBERNOTFOUND ((LumetResult)0x80020003)
#define LUMET_DISP_E_TYPEMISMATCH ((LumetResult)0x80020005)
#define LUMET_DISP_E_OVERFLOW ((LumetResult)0x8002000A)
/* Control errors: 0x800A0000 + the classic error number. */
#define LUMET_CTL_E_INVALIDPROPERTYVALUE ((LumetResult)0x800A017C) /* 380 */
#define LUMET_CTL_E_SETNOTSUPPORTED ((LumetResult)0x800A017F) /* 383 */

/* Fixed identifiers, the same in the registry file and the type library. */
extern LUMET32_EXPORT const LumetGuid LIBID_LumetLib; /* {3D2BFCF5-164E-4895-A3FD-DC0900011934} */
extern LUMET32_EXPORT const LumetGuid IID_DLumet; /* {37F1B9B4-E308-4F64-888D-25DC4A53201E} */
extern LUMET32_EXPORT const LumetGuid IID_DLumetEvents; /* {54C6CA22-AB1B-4BCF-90B1-E9AA83A7F2A7} */
extern LUMET32_EXPORT const LumetGuid CLSID_Lumet; /* {E43058FA-D892-4EBC-9C98-AA8149D85B23} */
extern LUMET32_EXPORT const LumetGuid CLSID_LumetPropPage; /* {DA28BF2B-E801-4853-8058-5E21CA068174} */
extern LUMET32_EXPORT const LumetGuid IID_IUnknown; /* {00000000-0000-0000-C000-000000000046} */
extern LUMET32_EXPORT const LumetGuid IID_IClassFactory; /* {00000001-0000-0000-C000-000000000046} */

/* Records the type library and both classes in the per-user registry file.
   Returns LUMET_S_OK, LUMET_SELFREG_E_TYPELIB or LUMET_SELFREG_E_CLASS. */
LUMET32_EXPORT LumetResult DllRegisterServer(void);
/* Removes what DllRegisterServer recorded; same results. */
LUMET32_EXPORT LumetResult DllUnregisterServer(void);
/* Hands out the class factory (a LumetClassFactory*) for CLSID_Lumet or
   CLSID_LumetPropPage when riid is IID_IClassFactory or IID_IUnknown. */
LUMET32_EXPORT LumetResult DllGetClassObject(const LumetGuid *rclsid, const LumetGuid *riid, void **ppv);
/* LUMET_S_OK when no control, page, factory reference or lock is alive,
   LUMET_S_FALSE otherwise. */
LUMET32_EXPORT LumetResult DllCanUnloadNow(void);

#ifdef __cplusplus
}

class QWidget;
class QString;

// What DllGetClassObject hands out. Reference counted: call Release() when done.
class LumetClassFactory
{
public:
    virtual unsigned long AddRef() = 0;
    virtual unsigned long Release() = 0;
    // Creates a CLumetCtrl (or a CLumetPropPage) as a child of parent.
    virtual LumetResult CreateInstance(QWidget *parent, QWidget **object) = 0;
    // Keeps the library loaded while lock is held (counted).
    virtual LumetResult LockServer(bool lock) = 0;

protected:
    virtual ~LumetClassFactory() = default;
};

namespace Lumet {
// The registry file in use: $LUMET32_REGISTRY when set, otherwise
// $XDG_CONFIG_HOME/lumet32/registry.json (~/.config/lumet32/registry.json).
LUMET32_EXPORT QString registryFilePath();
// "{E43058FA-D892-4EBC-9C98-AA8149D85B23}" form of an identifier.
LUMET32_EXPORT QString guidToString(const LumetGuid &guid);
// The short message a host shows for a failed status.
LUMET32_EXPORT QString errorMessage(LumetResult status);
} // namespace Lumet

#endif /* __cplusplus */

#endif /* LUMET32_H */
