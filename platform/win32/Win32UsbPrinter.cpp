// USB printers on Windows: SetupAPI's USB printer interface class, an exclusive overlapped
// open, and the device-ID request of the USB printer class driver.
#include <windows.h>

#include <setupapi.h>
#include <winioctl.h>

#include <memory>
#include <new>
#include <vector>

#include "platform/TwoCallSizing.h"
#include "platform/UsbPrinter.h"
#include "platform/win32/SystemLibrary.h"

namespace {

// GUID_DEVINTERFACE_USBPRINT, the USB printer device interface class.
const GUID kUsbPrinterInterfaceClass = {
    0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

// IOCTL_USBPRINT_GET_1284_ID: device type 0x22, function 13, buffered, any access.
constexpr DWORD kGet1284IdFunction = 13;
constexpr DWORD kGet1284IdRequest =
    CTL_CODE(FILE_DEVICE_UNKNOWN, kGet1284IdFunction, METHOD_BUFFERED, FILE_ANY_ACCESS);
static_assert(kGet1284IdRequest == 0x220034, "IOCTL_USBPRINT_GET_1284_ID");

// How long a cancelled request may take to come back before it is given up on.
constexpr DWORD kCancelWaitMs = 5000;

HDEVINFO AsList(void* list) {
    return static_cast<HDEVINFO>(list);
}

// One device-ID request: the OVERLAPPED and the buffer the driver writes into belong together
// and live until the driver has let go of them.
struct DeviceIdRequest {
    explicit DeviceIdRequest(unsigned long size) : data(size) {}
    OVERLAPPED overlapped = {};
    std::vector<unsigned char> data;
};

} // namespace

const DeviceHandle kNoDevice = INVALID_HANDLE_VALUE;

CUsbPrinterInterfaces::~CUsbPrinterInterfaces() {
    if (m_hList == nullptr) {
        return;
    }
    // A list exists only once SetupAPI was loaded, and it stays loaded.
    auto* destroy =
        g_setupLibrary.Get<decltype(SetupDiDestroyDeviceInfoList)>("SetupDiDestroyDeviceInfoList");
    if (destroy != nullptr) {
        destroy(AsList(m_hList));
    }
}

bool CUsbPrinterInterfaces::Open() {
    auto* getClassDevices =
        g_setupLibrary.Get<decltype(SetupDiGetClassDevsW)>("SetupDiGetClassDevsW");
    if (getClassDevices == nullptr) {
        return false;
    }
    HDEVINFO list = getClassDevices(&kUsbPrinterInterfaceClass, nullptr, nullptr,
                                    DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (list == INVALID_HANDLE_VALUE) {
        return false;
    }
    m_hList = list;
    return true;
}

CUsbPrinterInterfaces::Entry CUsbPrinterInterfaces::Get(unsigned long index, WString& path) {
    auto* enumInterfaces =
        g_setupLibrary.Get<decltype(SetupDiEnumDeviceInterfaces)>("SetupDiEnumDeviceInterfaces");
    auto* getDetail = g_setupLibrary.Get<decltype(SetupDiGetDeviceInterfaceDetailW)>(
        "SetupDiGetDeviceInterfaceDetailW");
    if (m_hList == nullptr || enumInterfaces == nullptr || getDetail == nullptr) {
        return Entry::End;
    }
    SP_DEVICE_INTERFACE_DATA interfaceData = {};
    interfaceData.cbSize = sizeof(interfaceData);
    if (!enumInterfaces(AsList(m_hList), nullptr, &kUsbPrinterInterfaceClass, index,
                        &interfaceData)) {
        return Entry::End;
    }
    DWORD needed = 0;
    getDetail(AsList(m_hList), &interfaceData, nullptr, 0, &needed, nullptr);
    if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        needed = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    }
    // The size is SetupAPI's word: one that cannot be had leaves this interface unread.
    CReportedBuffer buffer;
    if (!buffer.Allocate(needed)) {
        return Entry::NoDetail;
    }
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.Data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!getDetail(AsList(m_hList), &interfaceData, detail, needed, nullptr, nullptr)) {
        return Entry::NoDetail;
    }
    path = detail->DevicePath;
    return Entry::Found;
}

DeviceHandle DeviceOpenExclusive(const WChar* path) {
    return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
}

bool DeviceClose(DeviceHandle device) {
    return CloseHandle(device) != FALSE;
}

bool DeviceQuery1284Id(DeviceHandle device, unsigned char* buffer, unsigned long size,
                       unsigned long& returned, unsigned long waitMs) {
    returned = 0;
    std::unique_ptr<DeviceIdRequest> request(new (std::nothrow) DeviceIdRequest(size));
    if (!request) {
        return false;
    }
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (event == nullptr) {
        return false;
    }
    request->overlapped.hEvent = event;
    DWORD bytes = 0;
    BOOL answered = DeviceIoControl(device, kGet1284IdRequest, nullptr, 0, request->data.data(),
                                    size, &bytes, &request->overlapped);
    if (!answered && GetLastError() == ERROR_IO_PENDING) {
        if (WaitForSingleObject(event, waitMs) != WAIT_OBJECT_0) {
            // Too late: the request still points at the buffer and the OVERLAPPED, so it is
            // cancelled and waited for before they go. A driver that never lets go of it
            // keeps them: they are left to it rather than freed under it.
            CancelIoEx(device, &request->overlapped);
            if (WaitForSingleObject(event, kCancelWaitMs) != WAIT_OBJECT_0) {
                request.release();
                return false;
            }
            CloseHandle(event);
            return false;
        }
        answered = GetOverlappedResult(device, &request->overlapped, &bytes, TRUE);
    }
    CloseHandle(event);
    if (!answered) {
        return false;
    }
    const DWORD count = bytes < size ? bytes : size;
    CopyMemory(buffer, request->data.data(), count);
    returned = count;
    return true;
}
