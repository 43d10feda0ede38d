-- A headless Neovim session with its built-in client (Neovim 0.7 and later):
-- open a program, let veltra-lsp check it, ask for a hover, stop the
-- server, and write what Neovim got as JSON. The paths come from the
-- environment: VELTRA_LSP (the server), VELTRA_PROGRAM, VELTRA_RESULT.
local server = os.getenv('VELTRA_LSP')
local program = os.getenv('VELTRA_PROGRAM')
local result = os.getenv('VELTRA_RESULT')

local function finish(report)
  local file = io.open(result, 'w')
  file:write(vim.fn.json_encode(report))
  file:close()
  vim.cmd('qall!')
end

vim.cmd('edit ' .. vim.fn.fnameescape(program))
local buf = vim.api.nvim_get_current_buf()
local client = vim.lsp.start_client({
  name = 'veltra',
  cmd = { server },
  root_dir = vim.fn.fnamemodify(program, ':h'),
})
if not client then
  finish({ error = 'start_client failed' })
  return
end
vim.lsp.buf_attach_client(buf, client)

vim.wait(20000, function() return #vim.diagnostic.get(buf) > 0 end, 20)
local diagnostics = {}
for _, d in ipairs(vim.diagnostic.get(buf)) do
  table.insert(diagnostics, { lnum = d.lnum, col = d.col, end_col = d.end_col, message = d.message })
end
table.sort(diagnostics, function(a, b) return a.lnum < b.lnum end)

-- The first word of the first line.
local answers = vim.lsp.buf_request_sync(buf, 'textDocument/hover', {
  textDocument = { uri = vim.uri_from_bufnr(buf) },
  position = { line = 0, character = 1 },
}, 10000)
local hover = vim.NIL
for _, answer in pairs(answers or {}) do
  if answer.result then hover = answer.result.contents.value end
end

vim.lsp.stop_client(client)
vim.wait(10000, function() return vim.lsp.client_is_stopped(client) end, 20)
finish({ diagnostics = diagnostics, hover = hover, stopped = vim.lsp.client_is_stopped(client) })
