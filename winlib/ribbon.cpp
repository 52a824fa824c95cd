#include "winlib/ribbon.h"

#include "base/win_handles.h"

#include <objbase.h>
#include <propidl.h>
#include <propsys.h>

// Declarations of the ribbon framework's interfaces (the compilers here ship no header for them).
enum UI_COMMANDTYPE : int {};
enum UI_EXECUTIONVERB : int { UI_EXECUTIONVERB_EXECUTE = 0 };
enum UI_VIEWVERB : int { UI_VIEWVERB_CREATE = 0, UI_VIEWVERB_DESTROY = 1, UI_VIEWVERB_SIZE = 2 };

struct IUISimplePropertySet : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY key, PROPVARIANT* value) = 0;
};

struct IUICommandHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Execute(UINT32 commandId, UI_EXECUTIONVERB verb, const PROPERTYKEY* key,
                                              const PROPVARIANT* currentValue,
                                              IUISimplePropertySet* executionProperties) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateProperty(UINT32 commandId, REFPROPERTYKEY key,
                                                     const PROPVARIANT* currentValue, PROPVARIANT* newValue) = 0;
};

struct IUIApplication : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnViewChanged(UINT32 viewId, int typeId, IUnknown* view, UI_VIEWVERB verb,
                                                    INT32 reason) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnCreateUICommand(UINT32 commandId, UI_COMMANDTYPE typeId,
                                                        IUICommandHandler** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDestroyUICommand(UINT32 commandId, UI_COMMANDTYPE typeId,
                                                         IUICommandHandler* handler) = 0;
};

struct IUIFramework : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Initialize(HWND frame, IUIApplication* application) = 0;
    virtual HRESULT STDMETHODCALLTYPE Destroy() = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadUI(HINSTANCE instance, LPCWSTR resourceName) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetView(UINT32 viewId, REFIID riid, void** ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUICommandProperty(UINT32 commandId, REFPROPERTYKEY key,
                                                           PROPVARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetUICommandProperty(UINT32 commandId, REFPROPERTYKEY key,
                                                           REFPROPVARIANT value) = 0;
    virtual HRESULT STDMETHODCALLTYPE InvalidateUICommand(UINT32 commandId, int flags, const PROPERTYKEY* key) = 0;
    virtual HRESULT STDMETHODCALLTYPE FlushPendingInvalidations() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetModes(INT32 modes) = 0;
};

struct IUIRibbon : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetHeight(UINT32* cy) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadSettingsFromStream(IStream* stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveSettingsToStream(IStream* stream) = 0;
};

namespace {

constexpr CLSID kRibbonFrameworkClass = {0x926749fa, 0x2615, 0x4987, {0x88, 0x45, 0xc3, 0x3e, 0x65, 0xf2, 0xb9, 0x57}};
constexpr IID kFrameworkIid = {0xf4f0385d, 0x6872, 0x43a8, {0xad, 0x09, 0x4c, 0x33, 0x9c, 0xb3, 0xf5, 0xc5}};
constexpr IID kApplicationIid = {0xd428903c, 0x729a, 0x491d, {0x91, 0x0d, 0x68, 0x2a, 0x08, 0xff, 0x25, 0x22}};
constexpr IID kCommandHandlerIid = {0x75ae0a2d, 0xdc03, 0x4c9f, {0x88, 0x83, 0x06, 0x96, 0x60, 0xd0, 0xbe, 0xb6}};
constexpr IID kRibbonIid = {0x803982ab, 0x370a, 0x4f7e, {0xa9, 0xe7, 0x87, 0x84, 0x03, 0x6a, 0x6e, 0x26}};

// The framework's property keys share one format id; the index is in the first field, the type is the pid.
constexpr PROPERTYKEY RibbonKey(DWORD index, VARTYPE type) {
    return {{index, 0x7363, 0x696e, {0x84, 0x41, 0x79, 0x8a, 0xcf, 0x5a, 0xeb, 0xb7}}, type};
}
constexpr PROPERTYKEY kEnabledKey = RibbonKey(1, VT_BOOL);
constexpr PROPERTYKEY kBooleanValueKey = RibbonKey(200, VT_BOOL);
constexpr int kInvalidateState = 1;
constexpr int kInvalidateValue = 2;
constexpr const wchar_t* kMarkupResource = L"APPLICATION_RIBBON";

bool SameKey(const PROPERTYKEY& a, const PROPERTYKEY& b) {
    return a.pid == b.pid && IsEqualGUID(a.fmtid, b.fmtid);
}

int& AvailabilityCache() {
    static int cached = -1; // -1 not asked yet, 0 no, 1 yes
    return cached;
}

} // namespace

bool RibbonAvailable() {
    int& cached = AvailabilityCache();
    if (cached < 0) {
        cached = 0;
        if (::FindResourceW(::GetModuleHandleW(nullptr), kMarkupResource, L"UIFILE")) {
            const LibraryModule propsys(::LoadLibraryW(L"propsys.dll"));
            ComPtr<IUnknown> framework;
            if (SUCCEEDED(::CoCreateInstance(kRibbonFrameworkClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                             framework.ReceiveVoid()))) {
                cached = 1;
            }
        }
    }
    return cached == 1;
}

// The object the framework talks to: the application callbacks and one command handler for every command.
struct CRibbonHost::Application final : IUIApplication, IUICommandHandler {
    explicit Application(Callbacks callbacks) : callbacks(std::move(callbacks)) {}

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = ::InterlockedDecrement(&references);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kApplicationIid)) {
            *out = static_cast<IUIApplication*>(this);
        } else if (IsEqualIID(iid, kCommandHandlerIid)) {
            *out = static_cast<IUICommandHandler*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE OnViewChanged(UINT32, int, IUnknown* view, UI_VIEWVERB verb, INT32) override {
        if (verb == UI_VIEWVERB_DESTROY) {
            height = 0;
        } else if ((verb == UI_VIEWVERB_CREATE || verb == UI_VIEWVERB_SIZE) && view) {
            ComPtr<IUIRibbon> ribbon;
            if (SUCCEEDED(view->QueryInterface(kRibbonIid, ribbon.ReceiveVoid()))) {
                UINT32 cy = 0;
                if (SUCCEEDED(ribbon->GetHeight(&cy))) {
                    height = cy;
                }
            }
        }
        if (callbacks.heightChanged) {
            callbacks.heightChanged();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnCreateUICommand(UINT32, UI_COMMANDTYPE, IUICommandHandler** handler) override {
        return QueryInterface(kCommandHandlerIid, reinterpret_cast<void**>(handler));
    }
    HRESULT STDMETHODCALLTYPE OnDestroyUICommand(UINT32, UI_COMMANDTYPE, IUICommandHandler*) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE Execute(UINT32 commandId, UI_EXECUTIONVERB verb, const PROPERTYKEY* key,
                                      const PROPVARIANT* value, IUISimplePropertySet*) override {
        if (verb != UI_EXECUTIONVERB_EXECUTE) {
            return S_OK;
        }
        if (key && value && SameKey(*key, kBooleanValueKey) && value->vt == VT_BOOL && callbacks.setChecked) {
            callbacks.setChecked(commandId, value->boolVal != VARIANT_FALSE);
        }
        ::PostMessageW(frame, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProperty(UINT32 commandId, REFPROPERTYKEY key, const PROPVARIANT*,
                                             PROPVARIANT* newValue) override {
        bool answer = false;
        if (SameKey(key, kEnabledKey)) {
            answer = !callbacks.isEnabled || callbacks.isEnabled(commandId);
        } else if (SameKey(key, kBooleanValueKey)) {
            answer = callbacks.isChecked && callbacks.isChecked(commandId);
        } else {
            return E_NOTIMPL;
        }
        ::PropVariantInit(newValue);
        newValue->vt = VT_BOOL;
        newValue->boolVal = answer ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    Callbacks callbacks;
    HWND frame = nullptr;
    UINT height = 0;
    LONG references = 1;
};

CRibbonHost::CRibbonHost() = default;

CRibbonHost::~CRibbonHost() {
    Hide();
}

bool CRibbonHost::Show(HWND frame, Callbacks callbacks) {
    if (m_framework) {
        return true;
    }
    if (!RibbonAvailable()) {
        return false;
    }
    m_application.Reset(new Application(std::move(callbacks)));
    m_application->frame = frame;
    HRESULT result = ::CoCreateInstance(kRibbonFrameworkClass, nullptr, CLSCTX_INPROC_SERVER, kFrameworkIid,
                                        m_framework.ReceiveVoid());
    if (SUCCEEDED(result)) {
        result = m_framework->Initialize(frame, m_application.Get());
    }
    if (SUCCEEDED(result)) {
        result = m_framework->LoadUI(::GetModuleHandleW(nullptr), kMarkupResource);
    }
    if (FAILED(result)) {
        // A framework that cannot load the markup (a stub) counts as no framework at all.
        Hide();
        AvailabilityCache() = 0;
        return false;
    }
    return true;
}

void CRibbonHost::Hide() {
    if (m_framework) {
        m_framework->Destroy();
        m_framework.Reset();
    }
    m_application.Reset();
}

UINT CRibbonHost::Height() const {
    return m_framework && m_application ? m_application->height : 0;
}

void CRibbonHost::InvalidateState(UINT id) {
    if (m_framework) {
        m_framework->InvalidateUICommand(id, kInvalidateState | kInvalidateValue, nullptr);
    }
}
