#pragma once
// Field data types and the cursor shapes of the data components.

enum TFieldType {
    ftUnknown,
    ftString,
    ftInteger,
    ftFloat,
    ftDateTime,
    ftBoolean,
    ftBlob,
    ftMemo,
};

// The mouse cursor a data set shows while it works.
using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crHourGlass = -11;
