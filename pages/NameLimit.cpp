// The name-length check shared by the driver and port pages.
#include "pages/NameLimit.h"

#include "installer/DriverInstaller.h"

const WChar kDriverNameTooLongText[] =
    WTEXT("所选型号的驱动程序名称过长（超过99个字符），无法安装。\n\n")
        WTEXT("安装包中的 PrinterInfor.Inf 可能有误，请与打印机供应商联系。");
const WChar kPortNameTooLongText[] =
    WTEXT("所选端口的名称过长（超过99个字符），无法在该端口上安装打印机。\n\n请选择其他端口。");

namespace {
const WChar kErrorCaption[] = WTEXT("ERROR");
}

bool NameFitsInstallation(CPropertyPage& page, const WString& name, const WChar* text) {
    if (name.size() < kWorkingNameCapacity) {
        return true;
    }
    page.ShowMessageBox(text, kErrorCaption, MbOk | MbIconError);
    return false;
}
