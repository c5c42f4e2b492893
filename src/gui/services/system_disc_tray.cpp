#include "services/system_disc_tray.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QVariantMap>
#include <fcntl.h>
#include <filesystem>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace orbisk {

namespace {

constexpr const char* UdisksService = "org.freedesktop.UDisks2";
constexpr int BusTimeoutMs = 3000;

} // namespace

std::string SystemDiscTray::opticalDevice() {
    std::error_code error;
    if (std::filesystem::exists("/dev/cdrom", error)) {
        return std::filesystem::canonical("/dev/cdrom", error).string();
    }
    for (int n = 0; n < 16; ++n) {
        const std::string device = "/dev/sr" + std::to_string(n);
        if (std::filesystem::exists(device, error)) {
            return device;
        }
    }
    return "";
}

bool SystemDiscTray::ejectThroughUdisks(const std::string& device) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return false;
    }
    const QString block = QStringLiteral("/org/freedesktop/UDisks2/block_devices/") +
                          QString::fromStdString(std::filesystem::path(device).filename().string());
    QDBusInterface filesystem(UdisksService, block, "org.freedesktop.UDisks2.Filesystem", bus);
    filesystem.setTimeout(BusTimeoutMs);
    if (filesystem.isValid()) {
        filesystem.call("Unmount", QVariantMap());
    }
    QDBusInterface blockDevice(UdisksService, block, "org.freedesktop.UDisks2.Block", bus);
    if (!blockDevice.isValid()) {
        return false;
    }
    const auto drivePath = blockDevice.property("Drive").value<QDBusObjectPath>();
    QDBusInterface drive(UdisksService, drivePath.path(), "org.freedesktop.UDisks2.Drive", bus);
    drive.setTimeout(BusTimeoutMs);
    return drive.isValid() && QDBusReply<void>(drive.call("Eject", QVariantMap())).isValid();
}

void SystemDiscTray::ioctlOnDevice(const std::string& device, unsigned long request) {
    const int fd = ::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::ioctl(fd, request, 0);
        ::close(fd);
    }
}

void SystemDiscTray::open() {
    const std::string device = opticalDevice();
    if (!device.empty() && !ejectThroughUdisks(device)) {
        ioctlOnDevice(device, CDROMEJECT);
    }
}

void SystemDiscTray::close() {
    const std::string device = opticalDevice();
    if (!device.empty()) {
        ioctlOnDevice(device, CDROMCLOSETRAY);
    }
}

} // namespace orbisk
