// The plan string parser on any text: items, cut and parse agree with each other, a plan that
// parses cleanly rebuilds to the same SEQs, and a step appended to a plan reads back as its last
// item.

#include "fuzz/FuzzCheck.h"
#include "simulator/PlanString.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int maxSteps = input.ConsumeIntegralInRange(0, 40);
    const auto seq = input.ConsumeIntegral<qint32>();
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QString plan = QString::fromUtf8(rest.data(), qsizetype(rest.size()));

    const QStringList items = planString::items(plan);
    FUZZ_CHECK(items.size() == plan.count(u'.'));
    const QString whole = planString::cut(plan, int(items.size()));
    FUZZ_CHECK(plan.startsWith(whole));
    FUZZ_CHECK(planString::items(whole) == items);
    for (int n = 0; n <= items.size(); ++n)
        FUZZ_CHECK(planString::items(planString::cut(plan, n)) == items.mid(0, n));

    const planString::Parsed parsed = planString::parse(plan, maxSteps);
    FUZZ_CHECK(parsed.seqs.size() <= maxSteps);
    FUZZ_CHECK(!(parsed.invalid && parsed.truncated));
    if (!parsed.invalid && !parsed.truncated)
        FUZZ_CHECK(parsed.seqs.size() == items.size());
    QString rebuilt;
    for (qint32 s : parsed.seqs)
        rebuilt = planString::appended(rebuilt, s);
    const planString::Parsed again = planString::parse(rebuilt, maxSteps);
    FUZZ_CHECK(again.seqs == parsed.seqs && !again.invalid && !again.truncated);

    const QString longer = planString::appended(whole, seq);
    const QStringList longerItems = planString::items(longer);
    FUZZ_CHECK(longerItems.size() == items.size() + 1);
    FUZZ_CHECK(longerItems.back() == QString::number(seq));
    const planString::Parsed before = planString::parse(whole, 1 << 20);
    if (!before.invalid)
        FUZZ_CHECK(planString::parse(longer, 1 << 20).seqs == before.seqs + QList<qint32>{seq});
    return 0;
}
