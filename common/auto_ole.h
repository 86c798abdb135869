// OLE on the calling thread for the life of the holder.
#pragma once
#include <ole2.h>

class AutoOleInitialize {
  public:
    AutoOleInitialize() : result_(OleInitialize(nullptr)) {}
    AutoOleInitialize(const AutoOleInitialize&) = delete;
    AutoOleInitialize& operator=(const AutoOleInitialize&) = delete;
    // Only a successful call is paired; S_FALSE (already initialised) counts.
    ~AutoOleInitialize() {
        if (SUCCEEDED(result_)) OleUninitialize();
    }

  private:
    HRESULT result_;
};
