#include "emulator/state_file.hpp"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "emulator/decimal.hpp"

namespace zirok::emulator {

namespace {

constexpr const char* kMagic = "zirok-emulator-state";
constexpr int kVersion = 1;

// Every counter of a shift in one fixed order, for writing and reading alike.
template <typename Counters, typename Visit>
void forEachCounter(Counters& c, Visit&& visit) {
    for (auto& sums : c.byOperation) {
        for (auto& sum : sums) visit(sum);
    }
    for (auto& value : c.receipts) visit(value);
    for (auto& value : c.discounts) visit(value);
    for (auto& value : c.markups) visit(value);
    for (auto& taxes : c.taxes) {
        for (auto& tax : taxes) visit(tax);
    }
    for (auto* value : {&c.annulled, &c.corrections, &c.cashIns, &c.cashOuts, &c.fiscalDocuments,
                        &c.serviceDocuments}) {
        visit(*value);
    }
    for (auto* value : {&c.cashInSum, &c.cashOutSum, &c.voided}) visit(*value);
}

// Texts travel as hexadecimal so that spaces and control bytes survive; "-" is empty.
std::string hexText(std::string_view bytes) {
    if (bytes.empty()) return "-";
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (char c : bytes) {
        text += kDigits[static_cast<unsigned char>(c) >> 4];
        text += kDigits[static_cast<unsigned char>(c) & 0x0F];
    }
    return text;
}

class Writer {
  public:
    Writer& operator<<(std::int64_t value) {
        out_ << ' ' << value;
        return *this;
    }
    Writer& text(std::string_view bytes) {
        out_ << ' ' << hexText(bytes);
        return *this;
    }
    Writer& record(const char* name) {
        if (started_) out_ << '\n';
        started_ = true;
        out_ << name;
        return *this;
    }
    std::string finish() { return out_.str() + "\n"; }

  private:
    std::ostringstream out_;
    bool started_ = false;
};

class Reader {
  public:
    Reader(const std::string& line, int number) : number_(number) {
        std::istringstream in(line);
        for (std::string token; in >> token;) tokens_.push_back(token);
    }
    bool empty() const { return tokens_.empty(); }
    const std::string& name() const { return tokens_.front(); }
    bool done() const { return next_ >= tokens_.size(); }

    std::int64_t integer() {
        const auto value = parseInteger(token());
        if (!value) fail("not a number");
        return *value;
    }
    template <typename T>
    void into(T& target) {
        target = static_cast<T>(integer());
    }
    std::string text() {
        const std::string& hex = token();
        if (hex == "-") return {};
        if (hex.size() % 2 != 0) fail("odd hexadecimal text");
        std::string bytes;
        for (std::size_t i = 0; i < hex.size(); i += 2) {
            const int high = digit(hex[i]);
            const int low = digit(hex[i + 1]);
            if (high < 0 || low < 0) fail("not hexadecimal text");
            bytes += static_cast<char>(high << 4 | low);
        }
        return bytes;
    }
    [[noreturn]] void fail(const std::string& why) const {
        throw std::runtime_error("state file line " + std::to_string(number_) + ": " + why);
    }

  private:
    static int digit(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }
    const std::string& token() {
        if (next_ >= tokens_.size()) fail("too few values");
        return tokens_[next_++];
    }
    std::vector<std::string> tokens_;
    std::size_t next_ = 1;
    int number_;
};

void writeItem(Writer& w, const Item& item) {
    w.record("item").text(item.name).text(item.article)
        << item.quantity << item.numerator << item.denominator << item.priceMicro << item.taxIndex
        << item.printTax << item.section << item.adjustmentSign << item.adjustment;
    w.text(item.extraText) << item.paymentMethod << item.paymentObject;
    w.text(item.country).text(item.customs) << item.mark.has_value();
    w.text(item.mark ? item.mark->code : "") << (item.mark ? item.mark->result : 0);
}

Item readItem(Reader& r) {
    Item item;
    item.name = r.text();
    item.article = r.text();
    r.into(item.quantity);
    r.into(item.numerator);
    r.into(item.denominator);
    r.into(item.priceMicro);
    r.into(item.taxIndex);
    r.into(item.printTax);
    r.into(item.section);
    r.into(item.adjustmentSign);
    r.into(item.adjustment);
    item.extraText = r.text();
    r.into(item.paymentMethod);
    r.into(item.paymentObject);
    item.country = r.text();
    item.customs = r.text();
    const bool marked = r.integer() != 0;
    MarkAttachment mark{r.text(), 0};
    r.into(mark.result);
    if (marked) item.mark = std::move(mark);
    return item;
}

void writeDocument(Writer& w, const Document& d) {
    w.record("document") << static_cast<int>(d.type) << d.flags << d.department;
    w.text(d.cashier) << d.number << d.taxSystem << static_cast<int>(d.stage) << d.cashAmount
                      << d.reference << d.awaitingClose << d.archivedNumber;
    for (const Item& item : d.items) writeItem(w, item);
    for (const ReceiptAdjustment& a : d.adjustments) {
        w.record("adjustment") << a.discount;
        w.text(a.name) << a.amount;
    }
    for (const Payment& p : d.payments) w.record("payment") << p.type << p.amount;
    for (const Requisite& q : d.requisites) {
        w.record("requisite") << q.tag << q.flag;
        w.text(q.label).text(q.value);
    }
    for (const std::string& text : d.closingTexts) w.record("closing").text(text);
}

}  // namespace

std::string serializeState(const RegisterState& state) {
    Writer w;
    w.record(kMagic) << kVersion;
    w.record("clock") << state.clockOffsetSeconds << state.lastFiscalMoment;
    w.record("shift") << state.shift.open << state.shift.number << state.shift.openedAt;
    w.record("counters");
    ShiftCounters counters = state.shift.counters;
    forEachCounter(counters, [&w](auto value) { w << value; });
    w.record("printer") << state.drawerOpen << state.paperOut << state.coverOpen
                        << state.cashInDrawer << state.keptError;
    w.record("grand");
    for (Kopecks total : state.grandTotals) w << total;
    const Identity& id = state.identity;
    w.record("identity").text(id.serialNumber).text(id.fnNumber).text(id.inn).text(id.regNumber)
        << id.taxSystems << id.workModes << id.fiscal << id.registeredAt << id.firmware[0]
        << id.firmware[1] << id.firmware[2];
    const Marking& m = state.marking;
    w.record("marking") << m.keysDue << m.keysUpdatedAt << m.resultToReport;
    for (const auto& [key, value] : state.tables.entries()) {
        w.record("table") << key.first << key.second;
        w.text(value);
    }
    for (const StoredDocument& d : state.archive) {
        w.record("stored") << d.number << d.type << d.when << d.sign
                           << static_cast<int>(d.receiptType) << d.total << d.shift
                           << d.receiptNumber;
        for (const std::string& block : d.blocks) w.text(block);
    }
    if (!state.logo.empty()) w.record("logo").text(state.logo);
    for (const auto& [slot, picture] : state.pictures) {
        w.record("picture") << slot << picture.width << picture.height;
        w.text(picture.raster);
    }
    if (state.document) writeDocument(w, *state.document);
    return w.finish();
}

void parseState(const std::string& text, RegisterState& state) {
    RegisterState loaded;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    bool sawMagic = false;
    while (std::getline(in, line)) {
        Reader r(line, ++number);
        if (r.empty()) continue;
        const std::string& name = r.name();
        if (!sawMagic) {
            if (name != kMagic || r.integer() != kVersion) r.fail("not an emulator state file");
            sawMagic = true;
        } else if (name == "clock") {
            r.into(loaded.clockOffsetSeconds);
            r.into(loaded.lastFiscalMoment);
        } else if (name == "shift") {
            r.into(loaded.shift.open);
            r.into(loaded.shift.number);
            r.into(loaded.shift.openedAt);
        } else if (name == "counters") {
            forEachCounter(loaded.shift.counters, [&r](auto& value) { r.into(value); });
        } else if (name == "printer") {
            r.into(loaded.drawerOpen);
            r.into(loaded.paperOut);
            r.into(loaded.coverOpen);
            r.into(loaded.cashInDrawer);
            r.into(loaded.keptError);
        } else if (name == "grand") {
            for (Kopecks& total : loaded.grandTotals) r.into(total);
        } else if (name == "identity") {
            Identity& id = loaded.identity;
            id.serialNumber = r.text();
            id.fnNumber = r.text();
            id.inn = r.text();
            id.regNumber = r.text();
            r.into(id.taxSystems);
            r.into(id.workModes);
            r.into(id.fiscal);
            r.into(id.registeredAt);
            for (int& part : id.firmware) r.into(part);
        } else if (name == "marking") {
            r.into(loaded.marking.keysDue);
            r.into(loaded.marking.keysUpdatedAt);
            r.into(loaded.marking.resultToReport);
        } else if (name == "table") {
            const auto table = static_cast<int>(r.integer());
            const auto index = static_cast<int>(r.integer());
            if (!loaded.tables.restore(table, index, r.text())) r.fail("no such table entry");
        } else if (name == "stored") {
            StoredDocument d;
            r.into(d.number);
            r.into(d.type);
            r.into(d.when);
            r.into(d.sign);
            d.receiptType = static_cast<DocumentType>(r.integer());
            r.into(d.total);
            r.into(d.shift);
            r.into(d.receiptNumber);
            while (!r.done()) d.blocks.push_back(r.text());
            loaded.archive.push_back(std::move(d));
        } else if (name == "logo") {
            loaded.logo = r.text();
        } else if (name == "picture") {
            const auto slot = static_cast<int>(r.integer());
            Picture picture;
            r.into(picture.width);
            r.into(picture.height);
            picture.raster = r.text();
            if (picture.width <= 0 || picture.width % 8 != 0 || picture.height <= 0 ||
                picture.raster.size() !=
                    static_cast<std::size_t>(picture.width / 8 * picture.height)) {
                r.fail("picture size does not match its dots");
            }
            loaded.pictures[slot] = std::move(picture);
        } else if (name == "document") {
            Document d;
            d.type = static_cast<DocumentType>(r.integer());
            r.into(d.flags);
            r.into(d.department);
            d.cashier = r.text();
            r.into(d.number);
            r.into(d.taxSystem);
            d.stage = static_cast<Stage>(r.integer());
            r.into(d.cashAmount);
            r.into(d.reference);
            r.into(d.awaitingClose);
            r.into(d.archivedNumber);
            if (d.type < DocumentType::Service || d.type > DocumentType::PurchaseReturn ||
                d.stage > Stage::ReadyToClose) {
                r.fail("unknown document");
            }
            loaded.document = std::move(d);
        } else if (name == "item" || name == "adjustment" || name == "payment" ||
                   name == "requisite" || name == "closing") {
            if (!loaded.document) r.fail(name + " outside a document");
            Document& d = *loaded.document;
            if (name == "item") {
                Item item = readItem(r);
                if (item.taxIndex < 0 || item.taxIndex > 5) r.fail("no such tax");
                d.items.push_back(std::move(item));
            } else if (name == "adjustment") {
                ReceiptAdjustment a;
                r.into(a.discount);
                a.name = r.text();
                r.into(a.amount);
                d.adjustments.push_back(std::move(a));
            } else if (name == "payment") {
                Payment p;
                r.into(p.type);
                r.into(p.amount);
                if (p.type < 0 || p.type > 15) r.fail("no such payment type");
                d.payments.push_back(p);
            } else if (name == "requisite") {
                Requisite q;
                r.into(q.tag);
                r.into(q.flag);
                q.label = r.text();
                q.value = r.text();
                d.requisites.push_back(std::move(q));
            } else {
                d.closingTexts.push_back(r.text());
            }
        } else {
            r.fail("unknown record '" + name + "'");
        }
    }
    if (!sawMagic) throw std::runtime_error("state file is empty");

    // What does not survive a power cycle stays with the running register.
    loaded.workDayStarted = state.workDayStarted;
    loaded.hostClock = std::move(state.hostClock);
    loaded.printed = std::move(state.printed);
    state = std::move(loaded);
}

void saveState(const RegisterState& state, const std::string& path) {
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << serializeState(state);
        out.flush();
        if (!out) throw std::runtime_error("cannot write " + temporary);
    }
    std::filesystem::rename(temporary, path);
}

bool loadState(RegisterState& state, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (!std::filesystem::exists(path)) return false;
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream text;
    text << in.rdbuf();
    parseState(text.str(), state);
    return true;
}

}  // namespace zirok::emulator
