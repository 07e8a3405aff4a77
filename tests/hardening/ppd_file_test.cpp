// The PPD file as the handler reaches it through the spooler: a path at the
// 260-unit buffer's capacity and one over, written into a buffer that ends
// at a guard page; and the document's own allocation, and every other one of
// the first call, failing in turn. The handler here is the module's code
// linked into the test, so that this executable's failing allocator serves
// it on every build.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "customize/common_ui_prop.h"
#include "customize/ppd_path.h"
#include "host/driver/printer_registration.h"
#include "ppd/ppd_alloc.h"
#include "ppd/ppd_tokenizer.h"
#include "tests/hardening/failing_new.h"
#include "tests/hardening/guard_page.h"
#include "tests/support/ppd_test_util.h"

namespace {

size_t DirectoryLength(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? 0 : slash + 1;
}

// The first call of the document sheet, as the driver makes it.
void FirstCall(HANDLE printer, PluginContext* context) {
    OEMUIOBJ uiObject;
    memset(&uiObject, 0, sizeof(uiObject));
    uiObject.cbSize = sizeof(uiObject);
    OEMCUIPPARAM param;
    memset(&param, 0, sizeof(param));
    param.cbSize = sizeof(param);
    param.poemuiobj = &uiObject;
    param.hPrinter = printer;
    param.hOEMHeap = GetProcessHeap();
    EXPECT_EQ(S_OK, HandleCommonUIProp(OEMCUIP_DOCPROP, &param, context));
    EXPECT_EQ(0u, param.cOEMOptItems);
}

void DeleteDocument(PluginContext* context) {
    delete context->document;
    context->document = nullptr;
}

}  // namespace

TEST(PpdFilePath, AtCapacityAndOneOverAgainstAGuardPage) {
    // Where the spooler keeps data files (under Wine, its driver directory is
    // part of the path), learnt from one registration.
    HostPrinter probe;
    std::string error;
    ASSERT_TRUE(probe.Add(SamplePpdPath(), &error)) << error;
    const size_t directory = DirectoryLength(probe.DataFile());
    probe.Remove();

    GuardedMemory memory(sizeof(WCHAR) * kPpdPathCapacity);
    ASSERT_TRUE(memory.Valid());
    for (size_t length : {259u, 260u, 261u}) {
        SCOPED_TRACE(testing::Message() << "path of " << length << " units");
        HostPrinter printer;
        ASSERT_TRUE(printer.Add(SamplePpdPath(), &error, length - directory)) << error;
        ASSERT_EQ(length, printer.DataFile().size());
        // The terminator needs the 260th unit: only 259 units fit.
        const bool fits = length < static_cast<size_t>(kPpdPathCapacity);
        WCHAR* path = reinterpret_cast<WCHAR*>(memory.BlockAtEnd(sizeof(WCHAR) * kPpdPathCapacity, 0x5A));
        EXPECT_EQ(fits, GetPpdFilePath(GetProcessHeap(), printer.Handle(), path));
        if (fits) {
            EXPECT_EQ(printer.DataFile(), std::u16string(reinterpret_cast<const char16_t*>(path)));
        }

        PluginContext context{nullptr, nullptr};
        FirstCall(printer.Handle(), &context);
        EXPECT_EQ(fits, context.document != nullptr);
        DeleteDocument(&context);
    }
}

// Every nothrow allocation of a first call fails in turn: the document
// itself, the reader's records and strings, and whatever the platform's
// file routines take from the same allocator. The call always answers S_OK;
// the document is missing or consistent; the next first call reads the file
// when the failure left none; and nothing is alive once it is destroyed.
TEST(PpdFilePath, EveryAllocationOfTheFirstCallFailsInTurn) {
    HostPrinter printer;
    std::string error;
    ASSERT_TRUE(printer.Add(SamplePpdPath(), &error)) << error;
    DocumentPtr expected = ReadDocumentFile(SamplePpdPath());
    ASSERT_NE(nullptr, expected);
    const std::string complete = Describe(*expected);
    expected.reset();

    const int64_t livePpd = PpdLiveAllocations();
    int64_t missing = 0;
    for (int64_t n = 0;; ++n) {
        SCOPED_TRACE(testing::Message() << "allocation " << n << " fails");
        // Counted after the trace, which takes blocks of its own.
        const int64_t liveNew = LiveNewAllocations();
        PluginContext context{nullptr, nullptr};
        bool failed;
        {
            FailingNothrowNew failing(n);
            FirstCall(printer.Handle(), &context);
            failed = failing.Failed();
        }
        if (context.document == nullptr) {
            ++missing;
            FirstCall(printer.Handle(), &context);
            ASSERT_NE(nullptr, context.document) << "read at the next first call";
            EXPECT_EQ(complete, Describe(*context.document));
        } else {
            EXPECT_EQ("", CheckConsistent(*context.document));
            if (!failed) {
                EXPECT_EQ(complete, Describe(*context.document));
            }
        }
        DeleteDocument(&context);
        ASSERT_EQ(liveNew, LiveNewAllocations()) << "operator new blocks left alive";
        ASSERT_EQ(livePpd, PpdLiveAllocations()) << "reader allocations left alive";
        if (!failed) {
            EXPECT_GT(n, 2);
            break;
        }
    }
    EXPECT_GE(missing, 1) << "the document's own allocation failed once";
}

// A value at the token buffer's limit and one byte over, bare and quoted, in
// a file read the way the plug-in reads it: through the spooler's path and
// the platform's text-mode stream. The token keeps 1,048,575 bytes; the
// option after it is still read.
TEST(PpdFilePath, TokenAtTheBufferLimitThroughTheSpooler) {
    const std::string full(kPpdTokenCapacity - 1, 'x');
    struct Row {
        const char* name;
        std::string value;
        const char* after;  // the option read after the long one
    };
    const Row rows[] = {
        {"bare, 1,048,575 bytes", full, "After"},
        {"bare, 1,048,576 bytes", full + "y", "After"},
        {"quoted, 1,048,575 bytes", "\"" + full + "\"", "After"},
        // The byte over is dropped; the closing quote then opens a quoted
        // token that runs to the next quote.
        {"quoted, 1,048,576 bytes", "\"" + full + "y\"", "Later"},
    };
    const ScratchFile file(ScratchName("kx_hardening_long", ".ppd"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string ppd = "*OpenUI *KXBig: PickOne\n*KXBig Big: " + row.value +
                                "\n*KXBig After: \"a\"\n*KXBig Later: \"b\"\n*CloseUI: *KXBig\n";
        ASSERT_TRUE(file.Write(ppd));
        HostPrinter printer;
        std::string error;
        ASSERT_TRUE(printer.Add(file.Name(), &error)) << error;
        PluginContext context{nullptr, nullptr};
        FirstCall(printer.Handle(), &context);
        ASSERT_NE(nullptr, context.document);
        const PpdFeature* feature = FindFeature(*context.document, "*KXBig");
        ASSERT_NE(nullptr, feature);
        ASSERT_GE(feature->optionCount, 2);
        ASSERT_NE(nullptr, feature->options[0]->invocation);
        const WideString value(feature->options[0]->invocation);
        EXPECT_EQ(full.size(), value.size());
        EXPECT_EQ(WideString::npos, value.find_first_not_of(static_cast<WCHAR>('x')));
        EXPECT_EQ(row.after, Printable(feature->options[1]->keyword));
        DeleteDocument(&context);
    }
}
