#pragma once

#include "acquisition/ports/PinConverter.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;

namespace kordel::testing_support {

// What the model shows of itself in sysfs.
struct Ft232rSetup {
    std::string tty = "ttyUSB0";
    int busNumber = 1;
    int deviceAddress = 2;
    std::string serial = "A10K0001";
    int period = 75; // of the converter's sine, as the demo converter at 3F8
};

// How the chip stops answering, from a given bulk write on.
enum class Ft232rFault {
    None,
    UrbError, // every later transfer ends in a protocol error
    Silent,   // packets carry only the status bytes, as if the pins were no longer sampled
};

// An FT232R as its usbdevfs node answers: vendor requests of the serial and bit-bang modes,
// bulk OUT on endpoint 02 and IN on 81 in 64-byte packets that open with two status bytes,
// ftdi_sio bound to interface 0 with its tty until a claim detaches it. In synchronous
// bit-bang mode each byte written samples all pins first and then drives them, with a
// PinConverter on the pins. Every URB completes when submitted.
class Ft232rModel {
public:
    Ft232rModel(UMockdevTestbed* testbed, Ft232rSetup setup);
    ~Ft232rModel();
    Ft232rModel(const Ft232rModel&) = delete;
    Ft232rModel& operator=(const Ft232rModel&) = delete;

    bool driverBound() const;
    bool ttyPresent() const;
    bool inSyncBitBang() const;
    int latencyMilliseconds() const;
    int bulkWrites() const;
    // The fault starts with bulk write number `write` (counted from 1).
    void failFrom(int write, Ft232rFault fault);
    // At most this many samples per IN transfer, the first IN after each write bringing none.
    void trickle(int samples);

    std::string devicePath() const; // sysfs
    const Ft232rSetup setup;

    bool handle(UMockdevIoctlClient* client);

private:
    struct Urb;
    void addTty();
    void removeTty();
    int submit(Urb& urb);
    int control(const std::uint8_t* setup, std::uint8_t* data, int& length);
    void bulkOut(const std::uint8_t* data, int length);
    int bulkIn(std::uint8_t* data, int capacity);

    UMockdevTestbed* testbed;
    UMockdevIoctlBase* handler;
    mutable std::mutex mutex;
    std::deque<unsigned long> done; // client addresses of completed URBs
    std::deque<std::uint8_t> samples;
    bool bound = true;
    bool tty = true;
    bool nodeMade = false;
    int bitMode = 0;
    int latency = 16;
    int writes = 0;
    int faultFrom = 0;
    Ft232rFault fault = Ft232rFault::None;
    int trickleSamples = 0;
    bool answeredSinceWrite = true;
    PinConverter converter;
};

// A test bed for the process: sysfs and /dev as the preloaded library shows them.
class UsbTestbed {
public:
    UsbTestbed();
    ~UsbTestbed();
    UsbTestbed(const UsbTestbed&) = delete;
    UsbTestbed& operator=(const UsbTestbed&) = delete;

    Ft232rModel& addFt232r(Ft232rSetup setup);

    UMockdevTestbed* testbed;

private:
    std::vector<std::unique_ptr<Ft232rModel>> models;
};

} // namespace kordel::testing_support
