#pragma once
// The eight weapon figures, in the one order every list of them keeps: the master tables, the
// work table, the SQL column lists, the modification texts and the exports all follow it.

#include <QStringView>
#include <array>

namespace figureColumns {

constexpr std::size_t Count = 8;

// Column names; "BLANCE" is spelled so in the tables.
constexpr std::array<QStringView, Count> Names = {u"MIN_DAMAGE", u"MAX_DAMAGE", u"MIN_WOUNDS",
                                                  u"MAX_WOUNDS", u"CRITICAL",   u"BLANCE",
                                                  u"RANGE",      u"TAIKYU"};

// How the windows and exports name them.
constexpr std::array<QStringView, Count> Labels = {u"最小ダメージ", u"最大ダメージ", u"最小負傷率",
                                                   u"最大負傷率",   u"クリティカル", u"バランス",
                                                   u"射程",         u"耐久"};

// The two running totals that follow the figures in a step row.
constexpr std::array<QStringView, 2> Totals = {u"EXP", u"COST"};

} // namespace figureColumns
