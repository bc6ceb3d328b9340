#pragma once
// Result codes of the component functions, with the platform's values.
#include <QtGlobal>

namespace tqen::com {

using HResult = qint32;

constexpr HResult S_OK = 0;
constexpr HResult S_FALSE = 1;
constexpr HResult E_NOTIMPL = HResult(0x80004001u);
constexpr HResult E_NOINTERFACE = HResult(0x80004002u);
constexpr HResult E_POINTER = HResult(0x80004003u);
constexpr HResult E_FAIL = HResult(0x80004005u);
constexpr HResult E_OUTOFMEMORY = HResult(0x8007000Eu);
constexpr HResult E_INVALIDARG = HResult(0x80070057u);
constexpr HResult CLASS_E_CLASSNOTAVAILABLE = HResult(0x80040111u);
constexpr HResult REGDB_E_CLASSNOTREG = HResult(0x80040154u);
constexpr HResult CO_E_DLLNOTFOUND = HResult(0x800401F8u);
constexpr HResult CO_E_ERRORINDLL = HResult(0x800401F9u);
constexpr HResult TYPE_E_LIBNOTREGISTERED = HResult(0x8002801Du);
// Self-registration failures of a server library.
constexpr HResult SELFREG_E_TYPELIB = HResult(0x80040200u);
constexpr HResult SELFREG_E_CLASS = HResult(0x80040201u);

inline bool succeeded(HResult hr) { return hr >= 0; }
inline bool failed(HResult hr) { return hr < 0; }

}  // namespace tqen::com
