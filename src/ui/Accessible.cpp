#include "ui/Accessible.h"

#include <oleacc.h>

#include <utility>

namespace tresorix {

namespace {

// Looked up when a screen reader first asks, not at start-up: most starts
// never load the library.
struct OleaccCalls {
    HRESULT(WINAPI* createProxy)(HWND, LPCWSTR, LONG, REFIID, void**) = nullptr;
    LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
};

const OleaccCalls& oleacc()
{
    static const OleaccCalls calls = [] {
        OleaccCalls c;
        HMODULE library = LoadLibraryW(L"oleacc.dll");
        if (!library)
            return c;
        c.lresultFromObject = reinterpret_cast<decltype(c.lresultFromObject)>(
            reinterpret_cast<void*>(GetProcAddress(library, "LresultFromObject")));
        // Wine 8 exports the proxy as a stub that ends the program when it
        // is called; there the window keeps Wine's plain description.
        if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
            c.createProxy = reinterpret_cast<decltype(c.createProxy)>(
                reinterpret_cast<void*>(GetProcAddress(library, "CreateStdAccessibleProxyW")));
        return c;
    }();
    return calls;
}

HRESULT systemProxy(HWND hwnd, const wchar_t* standardClass, IUnknown** object)
{
    if (!oleacc().createProxy)
        return E_NOTIMPL;
    return oleacc().createProxy(hwnd, standardClass, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(object));
}

AccessibleProxyMaker& proxyMaker()
{
    static AccessibleProxyMaker maker = systemProxy;
    return maker;
}

}  // namespace

bool AnswerAccessibleAs(HWND hwnd, WPARAM wp, LPARAM lp, const wchar_t* standardClass, LRESULT& result)
{
    // The object's id is a DWORD: on 64-bit Windows the high half of lParam
    // is not part of it.
    if (LONG(DWORD(lp)) != OBJID_CLIENT || !oleacc().lresultFromObject)
        return false;
    IUnknown* object = nullptr;
    if (FAILED(proxyMaker()(hwnd, standardClass, &object)) || !object)
        return false;
    result = oleacc().lresultFromObject(__uuidof(IAccessible), wp, object);
    object->Release();
    return SUCCEEDED(HRESULT(result));
}

AccessibleProxyMaker SetAccessibleProxyMaker(AccessibleProxyMaker maker)
{
    return std::exchange(proxyMaker(), std::move(maker));
}

}  // namespace tresorix
