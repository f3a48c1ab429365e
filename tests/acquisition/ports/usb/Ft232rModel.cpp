#include "Ft232rModel.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <linux/usbdevice_fs.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <umockdev.h>

struct KordelFt232rHandler {
    UMockdevIoctlBase parent;
    kordel::testing_support::Ft232rModel* model;
};
struct KordelFt232rHandlerClass {
    UMockdevIoctlBaseClass parent;
};

G_DEFINE_TYPE(KordelFt232rHandler, kordel_ft232r_handler, UMOCKDEV_TYPE_IOCTL_BASE)

static gboolean kordel_ft232r_handle_ioctl(UMockdevIoctlBase* base, UMockdevIoctlClient* client) {
    return reinterpret_cast<KordelFt232rHandler*>(base)->model->handle(client) ? TRUE : FALSE;
}

static void kordel_ft232r_handler_class_init(KordelFt232rHandlerClass* handlerClass) {
    handlerClass->parent.handle_ioctl = kordel_ft232r_handle_ioctl;
}

static void kordel_ft232r_handler_init(KordelFt232rHandler*) {}

namespace kordel::testing_support {

namespace {

constexpr int SyncBitBang = 0x04;
constexpr int PacketSize = 64;
constexpr std::uint8_t ModemStatus0 = 0x01, ModemStatus1 = 0x60;

// Device, configuration, interface and the two bulk endpoints of an FT232R.
constexpr const char* Descriptors = "12010002000000080304016000060102030109022000010100A02D"
                                    "0904000002FFFFFF02070581024000000705020240000000";

std::string sysDevice(const Ft232rSetup& setup) {
    return "/sys/devices/pci0000:00/0000:00:14.0/usb" + std::to_string(setup.busNumber) + "/" +
           std::to_string(setup.busNumber) + "-" + std::to_string(setup.deviceAddress);
}

std::string usbNode(int bus, int address) {
    char node[32];
    std::snprintf(node, sizeof node, "bus/usb/%03d/%03d", bus, address);
    return node;
}

void addRecords(UMockdevTestbed* testbed, const std::string& records) {
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed, records.c_str(), &error)) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("test bed: " + message);
    }
}

std::string usbDeviceRecords(const std::string& path, int bus, int address,
                             const std::string& serial, const std::string& vendor,
                             const std::string& release) {
    const std::string node = usbNode(bus, address);
    return "P: " + path.substr(4) + "\nN: " + node +
           "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DEVNAME=/dev/" + node +
           "\nA: busnum=" + std::to_string(bus) + "\nA: devnum=" + std::to_string(address) +
           "\nA: speed=12\nA: idVendor=" + vendor + "\nA: idProduct=6001\nA: bcdDevice=" + release +
           "\nA: serial=" + serial +
           "\nA: bConfigurationValue=1\nA: bNumInterfaces= 1\nH: descriptors=" + Descriptors +
           "\n\n";
}

std::string interfaceRecords(const std::string& interface, const std::string& driver) {
    return "P: " + interface.substr(4) +
           "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nA: bInterfaceNumber=00\n"
           "L: driver=../../../../../../bus/usb/drivers/" +
           driver + "\n\n";
}

// The /dev node is made once: the test bed keeps it when the device goes.
std::string ttyRecords(const std::string& interface, const std::string& tty,
                       const std::string& driver, bool withNode = true) {
    const std::string port = interface + "/" + tty;
    return "P: " + port.substr(4) +
           "\nE: SUBSYSTEM=usb-serial\nL: driver=../../../../../../../bus/usb-serial/drivers/" +
           driver + "\n\nP: " + port.substr(4) + "/tty/" + tty + (withNode ? "\nN: " + tty : "") +
           "\nE: SUBSYSTEM=tty\nE: DEVNAME=/dev/" + tty + "\nL: device=../../../" + tty + "\n\n";
}

} // namespace

struct Ft232rModel::Urb {
    usbdevfs_urb* header;
    std::uint8_t* buffer;
};

Ft232rModel::Ft232rModel(UMockdevTestbed* testbed, Ft232rSetup setup)
    : setup(std::move(setup)), testbed(testbed), converter(this->setup.period) {
    const std::string device = devicePath();
    addRecords(testbed,
               usbDeviceRecords(device, this->setup.busNumber, this->setup.deviceAddress,
                                this->setup.serial, "0403", "0600") +
                   interfaceRecords(device + "/" + device.substr(device.rfind('/') + 1) + ":1.0",
                                    "ftdi_sio"));
    addTty();
    auto* instance =
        static_cast<KordelFt232rHandler*>(g_object_new(kordel_ft232r_handler_get_type(), nullptr));
    instance->model = this;
    handler = &instance->parent;
    GError* error = nullptr;
    const std::string node = "/dev/" + usbNode(this->setup.busNumber, this->setup.deviceAddress);
    if (!umockdev_testbed_attach_ioctl(testbed, node.c_str(), handler, &error)) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("test bed: " + message);
    }
}

Ft232rModel::~Ft232rModel() {
    g_object_unref(handler);
}

std::string Ft232rModel::devicePath() const {
    return sysDevice(setup);
}

bool Ft232rModel::driverBound() const {
    const std::lock_guard lock(mutex);
    return bound;
}

bool Ft232rModel::ttyPresent() const {
    return std::filesystem::exists("/sys/class/tty/" + setup.tty);
}

bool Ft232rModel::inSyncBitBang() const {
    const std::lock_guard lock(mutex);
    return bitMode == SyncBitBang;
}

int Ft232rModel::latencyMilliseconds() const {
    const std::lock_guard lock(mutex);
    return latency;
}

int Ft232rModel::bulkWrites() const {
    const std::lock_guard lock(mutex);
    return writes;
}

void Ft232rModel::failFrom(int write, Ft232rFault kind) {
    const std::lock_guard lock(mutex);
    faultFrom = write;
    fault = kind;
}

void Ft232rModel::trickle(int count) {
    const std::lock_guard lock(mutex);
    trickleSamples = count;
}

void Ft232rModel::addTty() {
    const std::string device = devicePath();
    addRecords(testbed, ttyRecords(device + "/" + device.substr(device.rfind('/') + 1) + ":1.0",
                                   setup.tty, "ftdi_sio", !nodeMade));
    nodeMade = true;
    tty = true;
}

void Ft232rModel::removeTty() {
    const std::string device = devicePath();
    const std::string port =
        device + "/" + device.substr(device.rfind('/') + 1) + ":1.0/" + setup.tty;
    umockdev_testbed_remove_device(testbed, (port + "/tty/" + setup.tty).c_str());
    umockdev_testbed_remove_device(testbed, port.c_str());
    tty = false;
}

bool Ft232rModel::handle(UMockdevIoctlClient* client) {
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* pointer = umockdev_ioctl_client_get_arg(client);
    const std::size_t size =
        request == USBDEVFS_SUBMITURB ? sizeof(usbdevfs_urb) : _IOC_SIZE(request);
    UMockdevIoctlData* arg =
        size > 0 ? umockdev_ioctl_data_resolve(pointer, 0, size, nullptr) : pointer;
    long result = 0;
    int error = 0;
    const std::lock_guard lock(mutex);
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES:
        *reinterpret_cast<std::uint32_t*>(arg->data) =
            USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
        break;
    case USBDEVFS_GETDRIVER:
        if (bound) {
            std::strcpy(reinterpret_cast<usbdevfs_getdriver*>(arg->data)->driver, "ftdi_sio");
        } else {
            error = ENODATA;
        }
        break;
    case USBDEVFS_DISCONNECT_CLAIM:
        removeTty();
        bound = false;
        break;
    case USBDEVFS_CLAIMINTERFACE:
        error = bound ? EBUSY : 0;
        break;
    case USBDEVFS_RELEASEINTERFACE:
        break;
    case USBDEVFS_IOCTL: {
        const int code = reinterpret_cast<usbdevfs_ioctl*>(arg->data)->ioctl_code;
        if (code == static_cast<int>(USBDEVFS_CONNECT) && !bound) {
            bound = true;
            addTty();
        } else if (code == static_cast<int>(USBDEVFS_DISCONNECT) && bound) {
            removeTty();
            bound = false;
        }
        break;
    }
    case USBDEVFS_SUBMITURB: {
        auto* header = reinterpret_cast<usbdevfs_urb*>(arg->data);
        UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(
            arg, G_STRUCT_OFFSET(usbdevfs_urb, buffer), header->buffer_length, nullptr);
        Urb urb{header, buffer->data};
        header->status = submit(urb);
        done.push_back(arg->client_addr);
        break;
    }
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
        if (done.empty()) {
            error = EAGAIN;
        } else {
            *reinterpret_cast<unsigned long*>(arg->data) = done.front();
            done.pop_front();
        }
        break;
    default:
        error = ENOTTY;
        break;
    }
    umockdev_ioctl_client_complete(client, error == 0 ? result : -1, error);
    return true;
}

// The URB's status: 0, or the negative errno of a failed transfer.
int Ft232rModel::submit(Urb& urb) {
    usbdevfs_urb& header = *urb.header;
    if (header.type == USBDEVFS_URB_TYPE_CONTROL) {
        int length = 0;
        const int status = control(urb.buffer, urb.buffer + 8, length);
        header.actual_length = length;
        return status;
    }
    const bool out = (header.endpoint & 0x80) == 0;
    if (out) {
        ++writes;
    }
    if (fault == Ft232rFault::UrbError && faultFrom > 0 && writes >= faultFrom) {
        header.actual_length = 0;
        return -EPROTO;
    }
    if (out) {
        bulkOut(urb.buffer, header.buffer_length);
        header.actual_length = header.buffer_length;
    } else {
        header.actual_length = bulkIn(urb.buffer, header.buffer_length);
    }
    return 0;
}

int Ft232rModel::control(const std::uint8_t* request, std::uint8_t* data, int& length) {
    const int type = request[0];
    const int code = request[1];
    const int value = request[2] | request[3] << 8;
    if (type == 0x40) {
        if (code == 0x00 && value != 2) { // reset, or purge of the receive buffer
            samples.clear();
        } else if (code == 0x0B) {
            bitMode = value >> 8;
        } else if (code == 0x09) {
            latency = value & 0xFF;
        }
        return 0;
    }
    length = request[6] | request[7] << 8;
    std::memset(data, code == 0x0A ? latency : 0xFF, static_cast<std::size_t>(length));
    return 0;
}

void Ft232rModel::bulkOut(const std::uint8_t* data, int length) {
    answeredSinceWrite = false;
    if (bitMode != SyncBitBang) {
        return;
    }
    for (int i = 0; i < length; ++i) {
        samples.push_back(converter.clock(data[i]));
    }
}

// Whole 64-byte packets, the last one short, each with the two status bytes first.
int Ft232rModel::bulkIn(std::uint8_t* data, int capacity) {
    const bool silent = fault == Ft232rFault::Silent && faultFrom > 0 && writes >= faultFrom;
    std::size_t available = silent ? 0 : samples.size();
    if (trickleSamples > 0) {
        available = answeredSinceWrite
                        ? std::min<std::size_t>(available, static_cast<std::size_t>(trickleSamples))
                        : 0;
    }
    answeredSinceWrite = true;
    int length = 0;
    while (length + 2 <= capacity) {
        data[length++] = ModemStatus0;
        data[length++] = ModemStatus1;
        for (int inPacket = 2; inPacket < PacketSize && available > 0 && length < capacity;
             ++inPacket, --available) {
            data[length++] = samples.front();
            samples.pop_front();
        }
        if (available == 0) {
            break;
        }
    }
    return length;
}

UsbTestbed::UsbTestbed() : testbed(umockdev_testbed_new()) {}

UsbTestbed::~UsbTestbed() {
    models.clear();
    g_object_unref(testbed);
}

Ft232rModel& UsbTestbed::addFt232r(Ft232rSetup setup) {
    models.push_back(std::make_unique<Ft232rModel>(testbed, std::move(setup)));
    return *models.back();
}

} // namespace kordel::testing_support
