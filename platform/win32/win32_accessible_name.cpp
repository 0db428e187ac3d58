#include "platform/win32/win32_api.h"

#include "platform/win32/win32_accessible_name.h"

// The annotation service's ids are defined in this one file.
#include <initguid.h>
#include <oleacc.h>

#include "platform/win32/win32_text.h"

namespace tovel::win32 {
namespace {

using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

// COM's object maker, with COM started on the calling thread: the
// user-interface thread, the only one that makes windows. Null where ole32
// cannot be had or COM does not start; the first answer stands.
CoCreateInstanceFn ComObjectMaker() {
    static const CoCreateInstanceFn maker = []() -> CoCreateInstanceFn {
        HMODULE ole32 = LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (ole32 == nullptr) {
            return nullptr;
        }
        const auto start = reinterpret_cast<CoInitializeExFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(ole32, "CoInitializeEx")));
        const auto make = reinterpret_cast<CoCreateInstanceFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(ole32, "CoCreateInstance")));
        if (start == nullptr || make == nullptr) {
            return nullptr;
        }
        // A thread with windows is a single-threaded apartment. Started for
        // the rest of the process: the thread's windows live as long. Where
        // something else started COM here in the other model first, COM is
        // usable all the same.
        const HRESULT started = start(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        if (FAILED(started) && started != RPC_E_CHANGED_MODE) {
            return nullptr;
        }
        return make;
    }();
    return maker;
}

// The annotation service, or null where it cannot be had; the caller releases it.
IAccPropServices* AnnotationService(HWND window) {
    const CoCreateInstanceFn make = ComObjectMaker();
    if (make == nullptr || window == nullptr) {
        return nullptr;
    }
    IAccPropServices* services = nullptr;
    if (FAILED(make(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                    reinterpret_cast<void**>(&services)))) {
        return nullptr;
    }
    return services;
}

HRESULT ClearName(IAccPropServices& services, HWND window) {
    MSAAPROPID property = PROPID_ACC_NAME;
    return services.ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                   &property, 1);
}

}  // namespace

bool SetAccessibleName(HWND window, const std::u16string& name) {
    IAccPropServices* services = AnnotationService(window);
    if (services == nullptr) {
        return false;
    }
    // The annotation stays with the window after the service is released.
    const HRESULT result =
        name.empty() ? ClearName(*services, window)
                     : services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT),
                                                CHILDID_SELF, PROPID_ACC_NAME, Wide(name));
    services->Release();
    if (FAILED(result)) {
        return false;
    }
    // The service tells no one; a screen reader already on the window hears
    // of the new name from this event.
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
    return true;
}

void ClearAccessibleName(HWND window) {
    // COM was started when the name was given; this asks for nothing new.
    if (IAccPropServices* services = AnnotationService(window)) {
        ClearName(*services, window);
        services->Release();
    }
}

}  // namespace tovel::win32
