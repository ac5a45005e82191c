#pragma once
// Opening, closing and cancelling documents, and the attributes written into
// an open one. Pending values are taken from `link.pending` as each command
// says; a value consumed stays consumed even when the command fails.
#include <cstdint>
#include <string>

#include "protocol/date_time.hpp"
#include "protocol/register_link.hpp"

namespace zirok::protocol {

// 0x30. `type`: 1 service document, 2 sale, 3 return, 4 cash-in, 5 cash-out.
// The first field is the type XOR the pending open mode, XOR 0x10 in package
// mode, XOR 0x100 with the delayed total, XOR 0x80 with the one-shot flag
// (which this clears). The fifth is the pending tax system when set (then
// unset again), else empty. `second` is the section for sales and returns
// and 1 otherwise; `number` the store's fiscal number. Refreshes the active
// conversion flag from the conversion setting first.
Result DocumentOpen(RegisterLink& link, const std::string& port, int type, int second,
                    const std::string& cashier, std::int64_t number);

// 0x53. Opens a document that issues a stored one again: `type` (0x10 added
// in package mode), the pending department, the cashier (converted), the POS
// number, the document's date and time, and `reference` when not 0.
Result DocumentOpenEx(RegisterLink& link, const std::string& port, int type,
                      const std::string& cashier, std::int64_t posNumber, const ZirokDate& date,
                      const ZirokTime& time, std::int64_t reference);

// 0x31. The first field is 0 when `noCut` is set, else `closeFlags` (5 at
// the end of a fiscal receipt, 1 elsewhere). Sends and clears the pending
// buyer address, sale mode text, attribute pairs and additional attribute
// list; the sale mode itself is kept.
Result DocumentClose(RegisterLink& link, const std::string& port, bool noCut, int closeFlags);

// 0x32. Cancels the open document.
Result DocumentAnnul(RegisterLink& link, const std::string& port);

// 0x34.
Result Command34(RegisterLink& link, const std::string& port);

// 0x24. Up to 18 fields, the pieces of `fields` between FS or ";" (empty
// pieces keep their place). Written without an answer in package mode.
Result WriteFieldList(RegisterLink& link, const std::string& port, const std::string& fields);

// 0x57. A document attribute by its tag, with the printed label the tag
// calls for: the buyer's e-mail or phone (1008), the sender's address
// (1117), or "#" before the value and flag 64 for 1057 and 1271. Written
// without an answer in package mode.
Result WriteRequisite(RegisterLink& link, const std::string& port, int tag,
                      const std::string& value);

// 0x58. Amounts in OPOS currency (sent with two decimals); `date` is the
// register's own date, as GetDateTime reads it.
Result CorrectionReceipt(RegisterLink& link, const std::string& port, const std::string& cashier,
                         std::int64_t firstSum, std::int64_t secondSum, int correctionType,
                         const ZirokDate& date, std::int64_t number);

}  // namespace zirok::protocol
