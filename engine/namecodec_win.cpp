// Names travel to the server in the profile's code page when it names one
// other than the system's; the MLang object converts (its string form: the
// converter form is not available on every system).
#include <windows.h>
#include <mlang.h>

#include "base/textbuf.h"
#include "engine/engine_win.h"
#include "profiles/current_win.h"

namespace {
const CLSID kMultiLanguage = {0x275C23E2, 0x3747, 0x11D0, {0x9F, 0xEA, 0x00, 0xAA, 0x00, 0x3F, 0x86, 0x46}};
const IID kMultiLanguageInterface = {0x275C23E1, 0x3747, 0x11D0, {0x9F, 0xEA, 0x00, 0xAA, 0x00, 0x3F, 0x86, 0x46}};

bool Convert(const char* in, char (&out)[260], DWORD from, DWORD to) {
  IMultiLanguage* ml = nullptr;
  if (FAILED(CoCreateInstance(kMultiLanguage, nullptr, CLSCTX_INPROC_SERVER, kMultiLanguageInterface,
                              reinterpret_cast<void**>(&ml))) ||
      !ml)
    return false;
  DWORD mode = 0;
  UINT inSize = static_cast<UINT>(strnlen(in, 259));
  UINT outSize = sizeof out - 1;
  HRESULT hr = ml->ConvertString(&mode, from, to, reinterpret_cast<BYTE*>(const_cast<char*>(in)), &inSize,
                                 reinterpret_cast<BYTE*>(out), &outSize);
  ml->Release();
  if (hr != S_OK || outSize == 0 || outSize >= sizeof out) return false;
  out[outSize] = '\0';
  return true;
}

bool NeedsConversion() {
  DWORD cp = static_cast<DWORD>(gCurrent.record.serverCodePage);
  return cp != 0 && cp != GetACP();
}
}  // namespace

bool ToServerName(const char* in, char (&out)[260]) {
  if (NeedsConversion() && Convert(in, out, GetACP(), static_cast<DWORD>(gCurrent.record.serverCodePage)))
    return true;
  CopyText(out, in);
  return false;
}

bool FromServerName(const char* in, char (&out)[260]) {
  if (NeedsConversion() && Convert(in, out, static_cast<DWORD>(gCurrent.record.serverCodePage), GetACP()))
    return true;
  CopyText(out, in);
  return false;
}
