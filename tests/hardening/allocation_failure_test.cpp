// Memory running out while the PPD reader works: every allocation of a read
// fails once, in turn, on the project's sample and two test PPDs. Each read
// must give a consistent document (counts match the slots in use, every slot
// holds a record, every feature's options array matches its count) whose
// marks are those of the plain walk, and its destruction must leave nothing
// behind. The constraint index, when it cannot be had, leaves the pass to
// the walk with the same marks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "customize/constraints.h"
#include "ppd/ppd_alloc.h"
#include "tests/support/ppd_test_util.h"

namespace {

struct PpdFile {
    const char* name;
    std::string path;
};

std::vector<PpdFile> Files() {
    return {
        {"sample", SamplePpdPath()},
        {"model fixture", FixturePath("model.ppd")},
        {"constraints fixture", FixturePath("constraints.ppd")},
    };
}

// The marks the plain walk gives from all flags clear, as the construction's
// own pass starts.
std::vector<bool> WalkMarks(PpdDocument* document) {
    const std::vector<bool> kept = Marks(*document);
    SetMarks(document, std::vector<bool>(kept.size(), false));
    EvaluateConstraintsByWalk(document);
    const std::vector<bool> walked = Marks(*document);
    SetMarks(document, kept);
    return walked;
}

}  // namespace

TEST(AllocationFailure, EveryReaderAllocationFailsInTurn) {
    for (const PpdFile& file : Files()) {
        SCOPED_TRACE(file.name);
        const int64_t baseline = PpdLiveAllocations();
        PpdFailAllocation(-1);
        DocumentPtr full = ReadDocumentFile(file.path);
        ASSERT_NE(nullptr, full);
        const int64_t allocations = PpdAllocationAttempts();
        const int64_t fullLive = PpdLiveAllocations() - baseline;
        ASSERT_GT(full->featureCount, 0);
        ASSERT_NE(nullptr, full->constraintIndex);
        const std::string complete = Describe(*full);

        int64_t failed = 0;
        for (int64_t n = 0; n <= allocations; ++n) {
            SCOPED_TRACE(testing::Message() << "allocation " << n << " of " << allocations << " fails");
            PpdFailAllocation(n);
            DocumentPtr document = ReadDocumentFile(file.path);
            const bool reached = PpdAllocationAttempts() > n;
            PpdFailAllocation(-1);
            ASSERT_NE(nullptr, document);
            ASSERT_EQ("", CheckConsistent(*document));
            ASSERT_EQ(WalkMarks(document.get()), Marks(*document)) << "marks of the walk";
            if (reached) {
                ++failed;
                EXPECT_LE(document->featureCount, full->featureCount);
                EXPECT_LE(document->constraintCount, full->constraintCount);
                EXPECT_LE(document->installableCount, full->installableCount);
            } else {
                EXPECT_EQ(complete, Describe(*document)) << "nothing failed: the whole file";
            }
            document.reset();
            ASSERT_EQ(baseline + fullLive, PpdLiveAllocations()) << "a document left allocations behind";
        }
        EXPECT_EQ(allocations, failed) << "each allocation failed once";
        full.reset();
        EXPECT_EQ(baseline, PpdLiveAllocations());
    }
}

// The index is built last, from the finished document: a failure there
// leaves the whole file read and no index, and every pass then walks. The
// marks must be those of the document that has its index, for the PPD's
// defaults and for installed values the host may report.
TEST(AllocationFailure, IndexThatCannotBeHadLeavesThePassToTheWalk) {
    for (const PpdFile& file : Files()) {
        SCOPED_TRACE(file.name);
        PpdFailAllocation(-1);
        DocumentPtr indexed = ReadDocumentFile(file.path);
        ASSERT_NE(nullptr, indexed);
        ASSERT_NE(nullptr, indexed->constraintIndex);
        const int64_t readAllocations = PpdAllocationAttempts();
        const int64_t baseline = PpdLiveAllocations();
        PpdConstraintIndex* probe = BuildConstraintIndex(indexed.get());
        const int64_t indexAllocations = PpdAllocationAttempts() - readAllocations;
        ASSERT_NE(nullptr, probe);
        ReleaseConstraintIndex(probe);
        ASSERT_EQ(baseline, PpdLiveAllocations());
        ASSERT_GT(indexAllocations, 0);

        for (int64_t n = 0; n < indexAllocations; ++n) {
            SCOPED_TRACE(testing::Message() << "index allocation " << n << " fails");
            indexed = ReadDocumentFile(file.path);  // fresh: the loop below stores values
            ASSERT_NE(nullptr, indexed);
            PpdFailAllocation(readAllocations - indexAllocations + n);
            DocumentPtr walked = ReadDocumentFile(file.path);
            PpdFailAllocation(-1);
            ASSERT_NE(nullptr, walked);
            EXPECT_EQ(nullptr, walked->constraintIndex);
            ASSERT_TRUE(Describe(*indexed) == Describe(*walked)) << "the whole file, marked as with the index";
            for (int32_t s = 0; s < indexed->installableCount; ++s) {
                for (const char* value : {"True", "False", "None", "Installed", ""}) {
                    const WideString wide = Units(value);
                    for (PpdDocument* document : {indexed.get(), walked.get()}) {
                        StoreInstalledValue(document, document->installables[s]->keyword.chars, wide.c_str());
                        EvaluateConstraints(document);
                    }
                    ASSERT_EQ(Marks(*indexed), Marks(*walked)) << "setting " << s << " = " << value;
                }
            }
        }
    }
}
