#include "inventory_command.h"

#include "command_line_progress.h"
#include "headless_run.h"
#include "inventory/ansi_decoder.h"
#include "inventory/device_id.h"
#include "inventory/inventory_collect.h"
#include "inventory/inventory_exchange.h"
#include "inventory/inventory_xml.h"
#include "report_target.h"
#include "window_context.h"

#include <memory>
#include <new>

namespace {

InventorySection& sectionNamed(InventoryDocument& document, const char* name) {
    for (InventorySection& section : document.sections)
        if (section.name() == name) return section;
    document.sections.insert(document.sections.begin(), InventorySection(name));
    return document.sections.front();
}

InventoryDocument thisMachine(const std::string& tag) {
    InventoryDocument document;
    // The readers write nothing worth showing here; the host only lends its
    // runner to the one WMI query.
    static HeadlessHost host;
    WindowContext context(host);
    document.sections = collectInventorySections(context);
    InventorySection& hardware = sectionNamed(document, "HARDWARE");
    // The server refuses an inventory without it, and rewrites only the
    // sections whose bit it holds.
    hardware.number("CHECKSUM", kInventoryAllSections);
    if (!tag.empty()) {
        InventorySection account("ACCOUNTINFO");
        account.text("KEYNAME", "TAG");
        account.text("KEYVALUE", tag);
        document.sections.push_back(std::move(account));
    }
    document.deviceId = storedDeviceId(hardware.valueOf("NAME"));
    return document;
}

} // namespace

int runInventoryFromCommandLine(const CommandLine& line, ConsoleStreams& console) {
    // Blanked out before the run's last word, whichever way it ends.
    CommandLineProgress progress(console, line.quiet);
    progress.sink().task("Inventory");
    HttpTarget server;
    const HttpTargetKind kind = parseHttpTarget(line.target, server);
    if (kind == HttpTargetKind::BadHttp) {
        console.errorLine("\"" + line.target.substr(0, 80) +
                          "\" is not a server address of the form http://HOST[:PORT]/PATH");
        return exitcode::kFailed;
    }
    try {
        // A file that cannot be written is told before the machine is read.
        std::unique_ptr<ReportTarget> file;
        if (kind == HttpTargetKind::NotHttp) {
            file = std::make_unique<ReportTarget>(line.target);
            if (!file->ready()) {
                console.errorLine(file->reason());
                return exitcode::kFailed;
            }
        }
        progress.sink().step("reading this machine");
        const InventoryDocument document = thisMachine(line.tag);
        const std::string xml = inventoryRequestXml(document, systemAnsiDecoder);
        if (file != nullptr) {
            progress.sink().step("writing the file");
            if (file->commit(xml)) return exitcode::kComplete;
            console.errorLine(file->reason());
            return exitcode::kFailed;
        }
        progress.sink().step("sending to the server");
        const InventoryDelivery delivery = deliverInventory(
            server, prologRequestXml(document.deviceId, systemAnsiDecoder), xml, networkTransport());
        switch (delivery.outcome) {
        case InventoryDelivery::Outcome::Stored:
            return exitcode::kComplete;
        case InventoryDelivery::Outcome::Declined:
            console.out(delivery.message + "\r\n");
            return exitcode::kComplete;
        case InventoryDelivery::Outcome::Failed:
            break;
        }
        console.errorLine(delivery.message);
        return exitcode::kFailed;
    } catch (const std::bad_alloc&) {
        console.errorLine("out of memory for the inventory");
        return exitcode::kFailed;
    } catch (...) {
        console.errorLine("the inventory could not be made");
        return exitcode::kFailed;
    }
}
