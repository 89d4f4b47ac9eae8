// Runs axe-core on HTML files in Debian's headless Chromium (puppeteer-core,
// no browser of its own) with the WCAG 2.1 A and AA rules and the best
// practices, and prints every violation. Exit status 0 when there is none,
// 1 when there are some, 2 when the audit could not run.
//   node axe-audit.js FILE.html [FILE.html ...]
// The modules come from NODE_PATH (tools/install-deps installs them).
const path = require("path");
const fs = require("fs");

async function main() {
  const files = process.argv.slice(2);
  let puppeteer, axeSource;
  try {
    puppeteer = require("puppeteer-core");
    axeSource = fs.readFileSync(require.resolve("axe-core/axe.min.js"), "utf8");
  } catch (e) {
    console.error("axe-audit: " + e.message);
    process.exit(2);
  }
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    args: ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"],
  });
  let violations = 0;
  try {
    for (const file of files) {
      const page = await browser.newPage();
      await page.goto("file://" + path.resolve(file), { waitUntil: "load" });
      await page.addScriptTag({ content: axeSource });
      const result = await page.evaluate(async () =>
        // eslint-disable-next-line no-undef
        axe.run(document, {
          runOnly: { type: "tag", values: ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa", "best-practice"] },
        }));
      const version = await page.evaluate(() => axe.version);  // eslint-disable-line no-undef
      for (const v of result.violations) {
        violations += 1;
        console.log(`${path.basename(file)}: ${v.id} (${v.impact}): ${v.help}`);
        for (const node of v.nodes.slice(0, 3)) console.log("    " + node.target.join(" ") + "  " + node.html.slice(0, 160));
      }
      console.log(`${path.basename(file)}: axe-core ${version}, ${result.passes.length} rules passed, ` +
                  `${result.violations.length} violated`);
      await page.close();
    }
  } finally {
    await browser.close();
  }
  process.exit(violations ? 1 : 0);
}

main().catch((e) => {
  console.error("axe-audit: " + (e && e.stack ? e.stack : e));
  process.exit(2);
});
