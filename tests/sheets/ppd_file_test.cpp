// Where the PPD comes from and when it is read: the spooler's driver record,
// the host's heap, the file as the spooler holds it (Wine's spooler keeps a
// copy of its own, so changes go to the path it reports), once per object.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "customize/ppd_path.h"
#include "ppd/ppd_document.h"
#include "tests/sheets/sheet_support.h"

namespace {

bool Tagged(SheetHarness& h, const char* keyword) {
    return h.document.Item(h.DocumentItem(keyword)).UserItemID != 0;
}

const PpdDocument* Document(SheetHarness& h) {
    return h.Context() != nullptr ? h.Context()->document : nullptr;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos) {
        text.replace(at, from.size(), to);
    }
    return text;
}

size_t FileNameLength(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? path.size() : path.size() - slash - 1;
}

}  // namespace

TEST(PpdFile, PathCannotBeHad_NoDocumentAndTriedAgain) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    HostPrinter gone;
    std::string error;
    ASSERT_TRUE(gone.Add(SamplePpdPath(), &error)) << error;
    const HANDLE stale = gone.Handle();
    gone.Remove();

    const struct {
        const char* what;
        HANDLE printer;
    } cases[] = {{"no printer", nullptr}, {"a printer deleted and closed", stale}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(S_OK, h.session.FirstCall(OEMCUIP_DOCPROP, c.printer));
        EXPECT_EQ(0u, h.session.ReportedItems(OEMCUIP_DOCPROP));
        h.document.Clear();
        BuildDocumentSheet(h.ppd, h.Options(-1), &h.document);
        EXPECT_EQ(S_OK, h.session.SecondCall(OEMCUIP_DOCPROP, c.printer, &h.document));
        ASSERT_NE(nullptr, h.Context()) << "the callback is registered all the same";
        EXPECT_EQ(nullptr, Document(h));
        EXPECT_FALSE(Tagged(h, "*KXRendering"));
        EXPECT_TRUE(h.session.DriverUi().queries.empty()) << "no document, no installed options";
    }
    h.OpenDocumentSheet();
    EXPECT_NE(nullptr, Document(h));
    EXPECT_TRUE(Tagged(h, "*KXRendering"));
}

TEST(PpdFile, Unreadable_NoDocumentUntilItCanBeRead) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(h.printer.DataFile(), &bytes));
    ASSERT_TRUE(RemoveFile(h.printer.DataFile()));

    h.OpenDocumentSheet();
    EXPECT_EQ(nullptr, Document(h));
    EXPECT_FALSE(Tagged(h, "*KXRendering"));
    h.OpenPrinterSheet();
    h.OpenDocumentSheet();
    EXPECT_EQ(nullptr, Document(h));

    // Back in place: the next first call, of either sheet, reads it.
    ASSERT_TRUE(WriteFileBytes(h.printer.DataFile(), bytes));
    EXPECT_EQ(S_OK, h.session.FirstCall(OEMCUIP_PRNPROP, h.printer.Handle()));
    ASSERT_TRUE(RemoveFile(h.printer.DataFile()));
    h.OpenDocumentSheet();
    EXPECT_NE(nullptr, Document(h)) << "the printer sheet's first call read it";
    EXPECT_TRUE(Tagged(h, "*KXRendering"));
    EXPECT_TRUE(WriteFileBytes(h.printer.DataFile(), bytes));
}

TEST(PpdFile, ReadOncePerObject) {
    SheetHarness first;
    ASSERT_TRUE(first.Start(SamplePpdPath()));
    first.OpenDocumentSheet();
    ASSERT_TRUE(Tagged(first, "*KXToner"));

    // The file changes under the driver: the feature gets another name.
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(first.printer.DataFile(), &bytes));
    ASSERT_TRUE(WriteFileBytes(first.printer.DataFile(),
                               Replace(bytes, "*OpenUI *KXToner/Toner Save Mode:", "*OpenUI *KXToner/Toner Saving:")));
    ASSERT_TRUE(first.RereadDriverPpd());
    first.OpenDocumentSheet();
    EXPECT_EQ("Toner Saving", first.document.Name(first.DocumentItem("*KXToner")));
    EXPECT_FALSE(Tagged(first, "*KXToner")) << "the first object keeps the file as it first read it";

    // A second object for the same printer reads the file as it is now.
    DriverSession second(LoadedPlugin());
    std::string error;
    ASSERT_TRUE(second.Start(&error)) << error;
    second.FirstCall(OEMCUIP_DOCPROP, first.printer.Handle());
    SheetItems items;
    BuildDocumentSheet(first.ppd, first.Options(-1), &items);
    second.SecondCall(OEMCUIP_DOCPROP, first.printer.Handle(), &items);
    EXPECT_EQ(0x43, items.Item(static_cast<size_t>(items.FindKeyword("*KXToner"))).UserItemID);

    EXPECT_EQ(0u, second.Release());
    EXPECT_EQ(1, second.DriverUi().References()) << "the object let go of the driver's interface";
    EXPECT_EQ(0u, first.session.Release());
    EXPECT_EQ(S_OK, first.session.CanUnloadNow());
}

TEST(PpdFile, TextMode_CrLfAndEndOfFileByteReadTheSameOnEveryBuild) {
    const std::string sample = ReadFileBytes(SamplePpdPath());
    ASSERT_FALSE(sample.empty()) << SamplePpdPath();
    const std::string cut =
        "*% =========================================================================\n"
        "*% Output options.";
    const size_t cutAt = sample.find(cut);
    ASSERT_NE(std::string::npos, cutAt);
    std::string crlf;
    for (size_t i = 0; i < sample.size(); ++i) {
        if (i == cutAt) {
            crlf += '\x1A';  // the end of a text-mode file, whatever follows
        }
        if (sample[i] == '\n') {
            crlf += '\r';
        }
        crlf += sample[i];
    }
    const ScratchFile ppd(ScratchName("kx_sheets", ".ppd"));
    ASSERT_TRUE(ppd.Write(crlf));
    SheetHarness h;
    ASSERT_TRUE(h.Start(ppd.Name()));
    h.OpenDocumentSheet();
    const PpdDocument* document = Document(h);
    ASSERT_NE(nullptr, document);

    // The driver reads the whole file; the plug-in only what comes before
    // the 0x1A byte, line ends read as LF.
    DriverPpd before;
    ParseDriverPpd(sample.substr(0, cutAt), &before);
    ASSERT_LT(before.features.size(), h.ppd.features.size());
    EXPECT_EQ(static_cast<int32_t>(before.features.size()), document->featureCount);
    EXPECT_EQ(0, document->constraintCount) << "the constraints stand after the cut";
    for (size_t i = 0; i < h.document.Count(); ++i) {
        const std::string& keyword = h.document.Keyword(i);
        if (keyword.empty() || h.document.Item(i).DMPubID == DMPUB_COLOR) {
            continue;
        }
        SCOPED_TRACE(keyword);
        const bool read = FindDriverPpdFeature(before, keyword) >= 0;
        EXPECT_EQ(read ? ExpectedItemCode(keyword) : 0, h.document.Item(i).UserItemID);
    }
    // A quoted value spread over lines keeps LF alone.
    for (int32_t f = 0; f < document->featureCount; ++f) {
        const PpdFeature* feature = document->features[f];
        for (int32_t o = 0; feature->options != nullptr && o < feature->optionCount; ++o) {
            const WCHAR* invocation = feature->options[o]->invocation;
            for (const WCHAR* c = invocation; c != nullptr && *c != 0; ++c) {
                EXPECT_NE(u'\r', static_cast<char16_t>(*c)) << Printable(feature->keyword.chars);
            }
        }
    }
}

TEST(PpdFile, PathAtTheBuffersCapacity) {
    // Where the spooler keeps data files, learnt from one registration.
    HostPrinter probe;
    std::string error;
    ASSERT_TRUE(probe.Add(SamplePpdPath(), &error)) << error;
    const size_t directory = probe.DataFile().size() - FileNameLength(probe.DataFile());
    probe.Remove();

    for (size_t length : {static_cast<size_t>(kPpdPathCapacity - 1), static_cast<size_t>(kPpdPathCapacity)}) {
        SCOPED_TRACE(testing::Message() << "path of " << length << " units");
        SheetHarness h;
        std::string error;
        ASSERT_TRUE(h.printer.Add(SamplePpdPath(), &error, length - directory)) << error;
        ASSERT_EQ(length, h.printer.DataFile().size());
        WCHAR path[kPpdPathCapacity + 8];
        for (WCHAR& unit : path) {
            unit = 0x5A5A;
        }
        const bool fits = length < static_cast<size_t>(kPpdPathCapacity);
        EXPECT_EQ(fits, GetPpdFilePath(h.session.Heap(), h.printer.Handle(), path));
        if (fits) {
            EXPECT_EQ(h.printer.DataFile(), std::u16string(reinterpret_cast<const char16_t*>(path)));
        }
        EXPECT_EQ(0x5A5A, path[kPpdPathCapacity]) << "nothing written past the buffer";

        ASSERT_TRUE(ReadDriverPpd(SamplePpdPath(), &h.ppd, &error));
        ASSERT_TRUE(h.session.Start(&error)) << error;
        h.OpenDocumentSheet();
        EXPECT_EQ(fits, Document(h) != nullptr);
    }
}

TEST(PpdFile, HostHeap_BorrowedForTheDriverRecordOnly) {
    EXPECT_FALSE(GetPpdFilePath(nullptr, nullptr, nullptr));

    // A fixed heap the driver has all but filled.
    const SIZE_T kHeapBytes = 256 * 1024;
    SheetHarness h(kHeapBytes);
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    DWORD recordSize = 0;
    GetPrinterDriverW(h.printer.Handle(), nullptr, 3, nullptr, 0, &recordSize);
    ASSERT_GT(recordSize, sizeof(DRIVER_INFO_3W));
    std::vector<std::pair<void*, SIZE_T>> blocks;
    for (SIZE_T size : {static_cast<SIZE_T>(4096), static_cast<SIZE_T>(256), static_cast<SIZE_T>(16)}) {
        while (void* block = HeapAlloc(h.session.Heap(), 0, size)) {
            blocks.emplace_back(block, size);
        }
    }
    ASSERT_FALSE(blocks.empty());
    WCHAR path[kPpdPathCapacity];
    EXPECT_FALSE(GetPpdFilePath(h.session.Heap(), h.printer.Handle(), path)) << "an exhausted heap";
    h.OpenDocumentSheet();
    EXPECT_EQ(nullptr, Document(h));

    // Room for the record once, given back each time: the record's block
    // is freed before the call returns, or the third call finds no room.
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(h.printer.DataFile(), &bytes));
    ASSERT_TRUE(RemoveFile(h.printer.DataFile()));
    SIZE_T freed = 0;
    while (freed < recordSize + 512 && !blocks.empty()) {
        freed += blocks.back().second;
        HeapFree(h.session.Heap(), 0, blocks.back().first);
        blocks.pop_back();
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(GetPpdFilePath(h.session.Heap(), h.printer.Handle(), path)) << "call " << i;
        EXPECT_EQ(S_OK, h.session.FirstCall(OEMCUIP_DOCPROP, h.printer.Handle()));
    }
    ASSERT_TRUE(WriteFileBytes(h.printer.DataFile(), bytes));
    h.OpenDocumentSheet();
    EXPECT_NE(nullptr, Document(h));
    for (const auto& block : blocks) {
        HeapFree(h.session.Heap(), 0, block.first);
    }
}
