#include "installer/requesters.h"

#include "common/auto_ole.h"
#include "installer/window_layer.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

namespace {

int CALLBACK OnBrowseEvent(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

// The folder browser finds "C:\Tools" but not always "C:\Tools\"; a drive
// root keeps its backslash.
std::string WithoutTrailingBackslash(std::string folder) {
    if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

} // namespace

std::string OpenFolderRequester(const std::string& instruction, const std::string& initialFolder) {
    // The new dialog style needs OLE on this thread.
    AutoOleInitialize ole;
    std::string initial = WithoutTrailingBackslash(initialFolder);
    BROWSEINFOA info = {};
    info.hwndOwner = ModalOwner();
    info.lpszTitle = instruction.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = OnBrowseEvent;
    info.lParam = initial.empty() ? 0 : (LPARAM)initial.c_str();
    std::string folder;
    if (LPITEMIDLIST chosen = SHBrowseForFolderA(&info)) {
        char path[MAX_PATH];
        if (SHGetPathFromIDListA(chosen, path)) folder = path;
        CoTaskMemFree(chosen);
    }
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

std::string OpenFileRequester(const std::string& caption, const std::string& initialFile,
                              const std::string& filter) {
    // The requester opens in the initial file's folder only when it sees a
    // full path with backslashes; the catalogue's paths are relative and use
    // forward slashes.
    std::vector<char> file(32768, '\0');
    if (!initialFile.empty()) {
        std::string native = initialFile;
        for (char& c : native)
            if (c == '/') c = '\\';
        if (!GetFullPathNameA(native.c_str(), (DWORD)file.size(), file.data(), nullptr))
            native.copy(file.data(), file.size() - 1);
    }
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = ModalOwner();
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = (DWORD)file.size();
    request.lpstrTitle = caption.c_str();
    // Relative paths of the whole program (Sprachen, Icons, Plugins) depend
    // on the working folder, which the requester must leave alone.
    request.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&request)) return "";
    return file.data();
}
