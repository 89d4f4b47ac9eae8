#pragma once
// Ground for the report tests: a temporary application folder with the
// report templates of the source tree and a user data store holding the
// report tables, and an industry data store describing its figures.

#include "core/DBTools.h"
#include "support/FakeServices.h"

#include <gtest/gtest.h>

#include <string>

namespace zorva::test {

class ReportFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The templates copied from data/templates into the folder.
    std::string templatePath(const std::string& file) const { return dir + "/" + file; }

    std::string dir;
    ConnectionHandle user;      // myData.mdb with the report tables
    ConnectionHandle industry;  // ZOR_DATA.mdb with datadescription
    Fakes fakes;
};

// Text of a PDF file (pdftotext), or "" when it cannot be extracted.
std::string PdfText(const std::string& pdf);
bool HavePdfToText();

} // namespace zorva::test
