// Cities with simple, known zones, put into the program's lists for one test and removed after.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "settings/options.h"
#include "timemodel/zone_list.h"

namespace velkaro::test {

enum TTestCity { kPlusOne, kMinusFive, kPlusNine, kEastern };

class CitiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLists();
        for (const char* zone : {"PlusOne,60,60", "MinusFive,-300,-300", "PlusNine,540,540",
                                 // Daylight time from the second Sunday of March to the first of November.
                                 "Eastern,-300,-240,2,1,2,2,0,10,1,1,2,0"})
            ZoneList.push_back(std::make_unique<TZone>(zone));
        for (const char* city : {"Plus One,0,10,10", "Minus Five,1,20,20", "Plus Nine,2,30,30",
                                 "Eastern City,3,40,40"})
            CityList.push_back(std::make_unique<TCity>(city));
    }
    void TearDown() override { ClearLists(); }
};

// No cities at all, as with an empty city file.
class NoCitiesTest : public ::testing::Test {
protected:
    void SetUp() override { ClearLists(); }
    void TearDown() override { ClearLists(); }
};

// The test cities with a short hint pattern, restored afterwards, for the dialogs' results.
class HintPatternCitiesTest : public CitiesTest {
protected:
    void SetUp() override {
        CitiesTest::SetUp();
        ZonariaOptions().HintTimeFormat = "yy-mm-dd HH:MM";
    }
    void TearDown() override {
        ZonariaOptions().HintTimeFormat = TZonariaOptions().HintTimeFormat;
        CitiesTest::TearDown();
    }
};

}  // namespace velkaro::test
